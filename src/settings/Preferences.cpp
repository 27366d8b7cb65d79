#include "settings/Preferences.h"

Preferences* Preferences::s_instance = nullptr;

namespace SettingValues {

QString separatorCharacters()
{
    return QStringLiteral(",\x20'.-_[]()~!@#$%^&*+|<>?/;:\"\\");
}

qint64 yearAfter(qint64 julianDay)
{
    return QDate::fromJulianDay(julianDay).addYears(1).toJulianDay();
}

bool read(const QSettings& settings, const QString& key, const bool& defaultValue)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // Text files hold every value as text; QVariant would take any unknown word for true.
    if (value.userType() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        bool isNumber = false;
        const qlonglong number = text.toLongLong(&isNumber);
        return isNumber && number != 0;
    }
    return value.toBool();
}

int read(const QSettings& settings, const QString& key, const int& defaultValue)
{
    bool ok = false;
    const int value = settings.value(key, defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

QString read(const QSettings& settings, const QString& key, const QString& defaultValue)
{
    return settings.value(key, defaultValue).toString();
}

QStringList read(const QSettings& settings, const QString& key, const QStringList& defaultValue)
{
    return settings.value(key, defaultValue).toStringList();
}

QColor read(const QSettings& settings, const QString& key, const QColor& defaultValue)
{
    const QString name = settings.value(key, defaultValue.name()).toString();
    return QColor::isValidColor(name) ? QColor(name) : QColor();
}

QFont read(const QSettings& settings, const QString& key, const QFont& defaultValue)
{
    const QVariant value = settings.value(key);
    if (value.userType() == QMetaType::QFont)
        return value.value<QFont>();
    if (value.userType() == QMetaType::QString) {
        QFont font;
        if (font.fromString(value.toString()))
            return font;
    }
    return defaultValue;
}

EolFormat read(const QSettings& settings, const QString& key, const EolFormat& defaultValue)
{
    return static_cast<EolFormat>(read(settings, key, static_cast<int>(defaultValue)));
}

QByteArray read(const QSettings& settings, const QString& key, const QByteArray& defaultValue)
{
    return settings.value(key, defaultValue).toByteArray();
}

qint64 readJulianDay(const QSettings& settings, const QString& key, const qint64& defaultValue)
{
    return read(settings, key, static_cast<int>(defaultValue));
}

int readTimeOfDay(const QSettings& settings, const QString& key, const int& defaultValue)
{
    const int msecs = read(settings, key, defaultValue);
    return msecs >= 0 && msecs < MsecsPerDay ? msecs : 0;
}

QVariant toStored(const QColor& value)
{
    return value.name();
}

QVariant toStored(EolFormat value)
{
    return static_cast<int>(value);
}

} // namespace SettingValues

Preferences* Preferences::instance()
{
    if (!s_instance)
        s_instance = new Preferences;
    return s_instance;
}

void Preferences::destroy()
{
    delete s_instance;
    s_instance = nullptr;
}

Preferences::Preferences(QObject* parent) : QObject(parent)
{
    // Lets queued connections carry the format; editors are QObjects and register themselves.
    qRegisterMetaType<EolFormat>("EolFormat");
    load();
}

Preferences::~Preferences() = default;

void Preferences::load()
{
    for (LoadedSetting* setting : m_table)
        setting->load(m_settings);
}

QStringList Preferences::settingKeys() const
{
    QStringList keys;
    keys.reserve(int(m_table.size()));
    for (const LoadedSetting* setting : m_table)
        keys.append(setting->key());
    return keys;
}

void Preferences::storePair(Setting<QStringList>& list, Setting<QString>& text, const QStringList& listValue,
                            const QString& textValue)
{
    // One pair, one change: the list is written again when only the text differs.
    if (list.value() == listValue && text.value() == textValue)
        return;
    list.writeAndHold(m_settings, listValue);
    text.writeAndHold(m_settings, textValue);
}

// Gui

void Preferences::setGuiSaveBeforeExit(bool value)
{
    m_guiSaveBeforeExit.set(m_settings, value);
}

void Preferences::setGuiOpenLastFile(bool value)
{
    m_guiOpenLastFile.set(m_settings, value);
}

void Preferences::setGuiAlwaysOnTop(bool value)
{
    m_guiAlwaysOnTop.set(m_settings, value);
}

void Preferences::setGuiHideMenuBar(bool value)
{
    if (m_guiHideMenuBar.set(m_settings, value))
        emit hideMenuBarChanged(m_guiHideMenuBar.value());
}

void Preferences::setGuiHideStatusBar(bool value)
{
    if (m_guiHideStatusBar.set(m_settings, value))
        emit hideStatusBarChanged(m_guiHideStatusBar.value());
}

void Preferences::setGuiShowSpace(bool value)
{
    if (m_guiShowSpace.set(m_settings, value))
        emit showSpaceChanged(m_guiShowSpace.value());
}

void Preferences::setGuiShowEol(bool value)
{
    if (m_guiShowEol.set(m_settings, value))
        emit showEolChanged(m_guiShowEol.value());
}

void Preferences::setGuiShowPreview(bool value)
{
    m_guiShowPreview.set(m_settings, value);
}

void Preferences::setGuiToolbarIconSize(int value)
{
    if (m_guiToolbarIconSize.set(m_settings, value))
        emit toolbarIconSizeChanged(m_guiToolbarIconSize.value());
}

void Preferences::setGuiLanguage(int value)
{
    if (m_guiLanguage.set(m_settings, value))
        emit languageChanged(m_guiLanguage.value());
}

void Preferences::setRecentFiles(const QStringList& files)
{
    m_recentFiles.set(m_settings, files);
}

// Columns

void Preferences::setColumnsStartColumns(int value)
{
    m_columnsStartColumns.set(m_settings, value);
}

void Preferences::setColumnsPrefix(const QString& value)
{
    if (m_columnsPrefix.set(m_settings, value))
        emit prefixSuffixChanged(m_columnsPrefix.value(), m_columnsSuffix.value());
}

void Preferences::setColumnsSuffix(const QString& value)
{
    if (m_columnsSuffix.set(m_settings, value))
        emit prefixSuffixChanged(m_columnsPrefix.value(), m_columnsSuffix.value());
}

void Preferences::setColumnsSynchronousScroll(bool value)
{
    m_columnsSynchronousScroll.set(m_settings, value);
}

void Preferences::setColumnsSynchronousCaret(bool value)
{
    m_columnsSynchronousCaret.set(m_settings, value);
}

void Preferences::setColumnsHideToolBar(bool value)
{
    if (m_columnsHideToolBar.set(m_settings, value))
        emit columnsHideToolbarChanged(m_columnsHideToolBar.value());
}

void Preferences::setColumnsNoDrag(bool value)
{
    m_columnsNoDrag.set(m_settings, value);
}

// Editor

void Preferences::setEditorDisplayLineNumber(bool value)
{
    if (m_editorDisplayLineNumber.set(m_settings, value))
        emit showLineNumberChanged(m_editorDisplayLineNumber.value());
}

void Preferences::setEditorReplaceTabBySpace(bool value)
{
    if (m_editorReplaceTabBySpace.set(m_settings, value))
        emit useSpaceChanged(m_editorReplaceTabBySpace.value());
}

void Preferences::setEditorUnicode(bool value)
{
    if (m_editorUnicode.set(m_settings, value))
        emit useUnicodeChanged(m_editorUnicode.value());
}

void Preferences::setEditorHighlightCurrentLine(bool value)
{
    if (m_editorHighlightCurrentLine.set(m_settings, value))
        emit highlightCurrentLineChanged(m_editorHighlightCurrentLine.value());
}

void Preferences::setEditorHighlightCurrentLineColor(const QColor& value)
{
    if (m_editorHighlightCurrentLineColor.set(m_settings, value))
        emit highlightCurrentLineColorChanged(m_editorHighlightCurrentLineColor.value());
}

void Preferences::setEditorFontColor(const QColor& value)
{
    if (m_editorFontColor.set(m_settings, value))
        emit editorFontColorChanged(m_editorFontColor.value());
}

void Preferences::setEditorSelectionBackgroundColor(const QColor& value)
{
    if (m_editorSelectionBackgroundColor.set(m_settings, value))
        emit editorSelectionBackgroundColorChanged(m_editorSelectionBackgroundColor.value());
}

void Preferences::setEditorTabWidth(int value)
{
    if (m_editorTabWidth.set(m_settings, value))
        emit tabWidthChanged(m_editorTabWidth.value());
}

void Preferences::setEditorFont(const QFont& value)
{
    if (m_editorFont.set(m_settings, value))
        emit editorFontChanged(m_editorFont.value());
}

void Preferences::setEditorEolFormat(EolFormat value)
{
    if (m_editorEolFormat.set(m_settings, value))
        emit editorEolFormatChanged(m_editorEolFormat.value());
}

// Split

void Preferences::setSplitRemoveDuplicateColumns(bool value)
{
    m_splitRemoveDuplicateColumns.set(m_settings, value);
}

void Preferences::setSplitMatchWholeWord(bool value)
{
    m_splitMatchWholeWord.set(m_settings, value);
}

void Preferences::setSplitFilter(const QStringList& filter, const QString& text)
{
    storePair(m_splitFilterList, m_splitFilter, filter, text);
}

// Match

void Preferences::setMatchFindWhat(const QStringList& findList, const QString& findWhat)
{
    storePair(m_matchFindList, m_matchFindWhat, findList, findWhat);
}

void Preferences::setMatchRemoveDuplicateColumns(bool value)
{
    m_matchRemoveDuplicateColumns.set(m_settings, value);
}

void Preferences::setMatchMatchCase(bool value)
{
    m_matchMatchCase.set(m_settings, value);
}

void Preferences::setMatchUnicode(bool value)
{
    m_matchUnicode.set(m_settings, value);
}

void Preferences::setMatchMultiLine(bool value)
{
    m_matchMultiLine.set(m_settings, value);
}

void Preferences::setMatchMatchNewLine(bool value)
{
    m_matchMatchNewLine.set(m_settings, value);
}

// Find

void Preferences::setFindFindText(const QStringList& findList, const QString& findWhat)
{
    storePair(m_findFindList, m_findFindWhat, findList, findWhat);
}

void Preferences::setFindReplaceText(const QStringList& findList, const QString& findWhat)
{
    storePair(m_findReplaceList, m_findReplaceWhat, findList, findWhat);
}

void Preferences::setFindMatchCase(bool value)
{
    m_findMatchCase.set(m_settings, value);
}

void Preferences::setFindWholeWord(bool value)
{
    m_findWholeWord.set(m_settings, value);
}

void Preferences::setFindUseRegex(bool value)
{
    m_findUseRegex.set(m_settings, value);
}

void Preferences::setFindWrapAround(bool value)
{
    m_findWrapAround.set(m_settings, value);
}

void Preferences::setFindForward(bool value)
{
    m_findForward.set(m_settings, value);
}

// DataSetting

void Preferences::setDataSettingNumberFrom(int value)
{
    m_dataSettingNumberFrom.set(m_settings, value);
}

void Preferences::setDataSettingNumberTo(int value)
{
    m_dataSettingNumberTo.set(m_settings, value);
}

void Preferences::setDataSettingNumberBase(int value)
{
    m_dataSettingNumberBase.set(m_settings, value);
}

void Preferences::setDataSettingNumberUpper(bool value)
{
    m_dataSettingNumberUpper.set(m_settings, value);
}

void Preferences::setDataSettingDateFrom(qint64 julianDay)
{
    m_dataSettingDateFrom.set(m_settings, julianDay);
}

void Preferences::setDataSettingDateTo(qint64 julianDay)
{
    m_dataSettingDateTo.set(m_settings, julianDay);
}

void Preferences::setDataSettingDateFormat(const QString& value)
{
    m_dataSettingDateFormat.set(m_settings, value);
}

void Preferences::setDataSettingLetterFrom(int value)
{
    m_dataSettingLetterFrom.set(m_settings, value);
}

void Preferences::setDataSettingLetterTo(int value)
{
    m_dataSettingLetterTo.set(m_settings, value);
}

void Preferences::setDataSettingLetterUpper(bool value)
{
    m_dataSettingLetterUpper.set(m_settings, value);
}

void Preferences::setDataSettingTimeFrom(int msecsSinceMidnight)
{
    m_dataSettingTimeFrom.set(m_settings, msecsSinceMidnight);
}

void Preferences::setDataSettingTimeTo(int msecsSinceMidnight)
{
    m_dataSettingTimeTo.set(m_settings, msecsSinceMidnight);
}

void Preferences::setDataSettingTimeFormat(const QString& value)
{
    m_dataSettingTimeFormat.set(m_settings, value);
}

// Misc

void Preferences::setMiscHideAfterMinimized(bool value)
{
    m_miscHideAfterMinimized.set(m_settings, value);
}

void Preferences::setMiscCloseAfterDataGenerated(bool value)
{
    m_miscCloseAfterDataGenerated.set(m_settings, value);
}

void Preferences::setMiscClearColumnsBeforeLoad(bool value)
{
    m_miscClearColumnsBeforeLoad.set(m_settings, value);
}

void Preferences::setMiscCopyToClipBoardAfterMerged(bool value)
{
    m_miscCopyToClipBoardAfterMerged.set(m_settings, value);
}

void Preferences::setMiscCopyToClipBoardAfterReplaced(bool value)
{
    m_miscCopyToClipBoardAfterReplaced.set(m_settings, value);
}

void Preferences::setMiscResizeColumn(int value)
{
    m_miscResizeColumn.set(m_settings, value);
}

// Window

void Preferences::loadWindowState(QByteArray& geometry, QByteArray& state)
{
    geometry = m_windowGeometry.read(m_settings);
    state = m_windowState.read(m_settings);
}

void Preferences::saveWindowState(const QByteArray& geometry, const QByteArray& state)
{
    m_windowGeometry.write(m_settings, geometry);
    m_windowState.write(m_settings, state);
}
