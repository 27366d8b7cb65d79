#include "settings/Preferences.h"

#include <QDate>

Preferences* Preferences::s_instance = nullptr;

namespace {

const QString separatorCharacters = QStringLiteral(",\x20'.-_[]()~!@#$%^&*+|<>?/;:\"\\");
constexpr int msecsPerDay = 86400000;

// How each kind of value is put into the settings.
QVariant toStored(bool value) { return value; }
QVariant toStored(int value) { return value; }
QVariant toStored(qint64 value) { return value; }
QVariant toStored(const QString& value) { return value; }
QVariant toStored(const QStringList& value) { return value; }
QVariant toStored(const QColor& value) { return value.name(); }
QVariant toStored(const QFont& value) { return value; }
QVariant toStored(EolFormat value) { return static_cast<int>(value); }

} // namespace

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
    m_guiSaveBeforeExit = readBool(QStringLiteral("Gui/SaveBeforeExit"), true);
    m_guiOpenLastFile = readBool(QStringLiteral("Gui/OpenLastFile"), false);
    m_guiAlwaysOnTop = readBool(QStringLiteral("Gui/AlwaysOnTop"), false);
    m_guiHideMenuBar = readBool(QStringLiteral("Gui/HideMenuBar"), false);
    m_guiHideStatusBar = readBool(QStringLiteral("Gui/HideStatusBar"), false);
    m_guiShowSpace = readBool(QStringLiteral("Gui/ShowSpace"), false);
    m_guiShowEol = readBool(QStringLiteral("Gui/ShowEol"), false);
    m_guiToolbarIconSize = readInt(QStringLiteral("Gui/ToolbarIconSize"), 24);
    m_guiLanguage = readInt(QStringLiteral("Gui/Language"), 0);
    m_recentFiles = readStringList(QStringLiteral("Gui/RecentFiles"));

    m_columnsStartColumns = readInt(QStringLiteral("Columns/StartColumns"), 2);
    m_columnsPrefix = readString(QStringLiteral("Columns/Prefix"), QStringLiteral("#"));
    m_columnsSuffix = readString(QStringLiteral("Columns/Suffix"), QStringLiteral("#"));
    m_columnsSynchronousScroll = readBool(QStringLiteral("Columns/SynchronousScroll"), true);
    m_columnsSynchronousCaret = readBool(QStringLiteral("Columns/SynchronousCaret"), true);
    m_columnsHideToolBar = readBool(QStringLiteral("Columns/HideToolBar"), false);
    m_columnsNoDrag = readBool(QStringLiteral("Columns/NoDrag"), false);

    m_editorDisplayLineNumber = readBool(QStringLiteral("Editor/DisplayLineNumber"), true);
    m_editorReplaceTabBySpace = readBool(QStringLiteral("Editor/ReplaceTabBySpace"), true);
    m_editorUnicode = readBool(QStringLiteral("Editor/Unicode"), false);
    m_editorHighlightCurrentLine = readBool(QStringLiteral("Editor/HighlightCurrentLine"), true);
    m_editorHighlightCurrentLineColor =
        readColor(QStringLiteral("Editor/HighlightCurrentLineColor"), QColor(232, 232, 255));
    m_editorFontColor = readColor(QStringLiteral("Editor/FontColor"), QColor(0, 0, 0));
    m_editorSelectionBackgroundColor = readColor(QStringLiteral("Editor/SelectionBackgroundColor"), QColor(0, 0, 255));
    m_editorTabWidth = readInt(QStringLiteral("Editor/TabWidth"), 4);
    // A default-made font is the application's font, and needs no application object to be made.
    m_editorFont = readFont(QStringLiteral("Editor/Font"), QFont());
    m_editorEolFormat = static_cast<EolFormat>(readInt(QStringLiteral("Editor/EolFormat"), EolUnix));

    m_splitRemoveDuplicateColumns = readBool(QStringLiteral("Split/RemoveDuplicateColumns"), false);
    m_splitMatchWholeWord = readBool(QStringLiteral("Split/MatchWholeWord"), false);
    m_splitFilterList = readStringList(QStringLiteral("Split/FilterList"));
    m_splitFilter = readString(QStringLiteral("Split/Filter"), separatorCharacters);

    m_matchFindList = readStringList(QStringLiteral("Match/FindList"));
    m_matchFindWhat = readString(QStringLiteral("Match/FindWhat"), QString());
    m_matchRemoveDuplicateColumns = readBool(QStringLiteral("Match/RemoveDuplicateColumns"), false);
    m_matchMatchCase = readBool(QStringLiteral("Match/MatchCase"), false);
    m_matchUnicode = readBool(QStringLiteral("Match/Unicode"), false);
    m_matchMultiLine = readBool(QStringLiteral("Match/MultiLine"), true);
    m_matchMatchNewLine = readBool(QStringLiteral("Match/MatchNewLine"), false);

    m_findFindList = readStringList(QStringLiteral("Find/FindList"));
    m_findFindWhat = readString(QStringLiteral("Find/FindWhat"), QString());
    m_findReplaceList = readStringList(QStringLiteral("Find/ReplaceList"));
    m_findReplaceWhat = readString(QStringLiteral("Find/ReplaceWhat"), QString());
    m_findMatchCase = readBool(QStringLiteral("Find/MatchCase"), false);
    m_findWholeWord = readBool(QStringLiteral("Find/WholeWord"), false);
    m_findUseRegex = readBool(QStringLiteral("Find/UseRegex"), false);
    m_findWrapAround = readBool(QStringLiteral("Find/WrapAround"), false);
    m_findForward = readBool(QStringLiteral("Find/Forward"), true);

    const QDate today = QDate::currentDate();
    m_dataSettingNumberFrom = readInt(QStringLiteral("DataSetting/NumberFrom"), 0);
    m_dataSettingNumberTo = readInt(QStringLiteral("DataSetting/NumberTo"), 100);
    m_dataSettingNumberBase = readInt(QStringLiteral("DataSetting/NumberBase"), 10);
    m_dataSettingNumberUpper = readBool(QStringLiteral("DataSetting/NumberUpper"), false);
    m_dataSettingDateFrom = readInt(QStringLiteral("DataSetting/DateFrom"), int(today.toJulianDay()));
    m_dataSettingDateTo = readInt(QStringLiteral("DataSetting/DateTo"), int(today.addYears(1).toJulianDay()));
    m_dataSettingDateFormat = readString(QStringLiteral("DataSetting/DateFormat"), QStringLiteral("yyyy-MM-dd"));
    m_dataSettingLetterFrom = readInt(QStringLiteral("DataSetting/LetterFrom"), 10);
    m_dataSettingLetterTo = readInt(QStringLiteral("DataSetting/LetterTo"), 35);
    m_dataSettingLetterUpper = readBool(QStringLiteral("DataSetting/LetterUpper"), false);
    m_dataSettingTimeFrom = readTime(QStringLiteral("DataSetting/TimeFrom"), 0);
    m_dataSettingTimeTo = readTime(QStringLiteral("DataSetting/TimeTo"), msecsPerDay - 1);
    m_dataSettingTimeFormat = readString(QStringLiteral("DataSetting/TimeFormat"), QStringLiteral("hh:mm:ss"));

    m_miscHideAfterMinimized = readBool(QStringLiteral("Misc/HideAfterMinimized"), false);
    m_miscCloseAfterDataGenerated = readBool(QStringLiteral("Misc/CloseAfterDataGenerated"), false);
    m_miscClearColumnsBeforeLoad = readBool(QStringLiteral("Misc/ClearColumnsBeforeLoad"), false);
    m_miscCopyToClipBoardAfterMerged = readBool(QStringLiteral("Misc/CopyToClipBoardAfterMerged"), false);
    m_miscCopyToClipBoardAfterReplaced = readBool(QStringLiteral("Misc/CopyToClipBoardAfterReplaced"), false);
    m_miscResizeColumn = readInt(QStringLiteral("Misc/ResizeColumn"), 2);
}

bool Preferences::readBool(const QString& key, bool defaultValue) const
{
    const QVariant value = m_settings.value(key);
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

int Preferences::readInt(const QString& key, int defaultValue) const
{
    bool ok = false;
    const int value = m_settings.value(key, defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

QString Preferences::readString(const QString& key, const QString& defaultValue) const
{
    return m_settings.value(key, defaultValue).toString();
}

QStringList Preferences::readStringList(const QString& key) const
{
    return m_settings.value(key).toStringList();
}

QColor Preferences::readColor(const QString& key, const QColor& defaultValue) const
{
    const QString name = m_settings.value(key, defaultValue.name()).toString();
    return QColor::isValidColor(name) ? QColor(name) : QColor();
}

QFont Preferences::readFont(const QString& key, const QFont& defaultValue) const
{
    const QVariant value = m_settings.value(key);
    if (value.userType() == QMetaType::QFont)
        return value.value<QFont>();
    if (value.userType() == QMetaType::QString) {
        QFont font;
        if (font.fromString(value.toString()))
            return font;
    }
    return defaultValue;
}

int Preferences::readTime(const QString& key, int defaultValue) const
{
    const int msecs = readInt(key, defaultValue);
    return msecs >= 0 && msecs < msecsPerDay ? msecs : 0;
}

template <typename T>
bool Preferences::store(T& field, const T& value, const QString& key)
{
    if (field == value)
        return false;
    m_settings.setValue(key, toStored(value));
    field = value;
    return true;
}

bool Preferences::storePair(QStringList& listField, QString& textField, const QStringList& list, const QString& text,
                            const QString& listKey, const QString& textKey)
{
    if (listField == list && textField == text)
        return false;
    m_settings.setValue(listKey, list);
    m_settings.setValue(textKey, text);
    listField = list;
    textField = text;
    return true;
}

// Gui

void Preferences::setGuiSaveBeforeExit(bool value)
{
    store(m_guiSaveBeforeExit, value, QStringLiteral("Gui/SaveBeforeExit"));
}

void Preferences::setGuiOpenLastFile(bool value)
{
    store(m_guiOpenLastFile, value, QStringLiteral("Gui/OpenLastFile"));
}

void Preferences::setGuiAlwaysOnTop(bool value)
{
    store(m_guiAlwaysOnTop, value, QStringLiteral("Gui/AlwaysOnTop"));
}

void Preferences::setGuiHideMenuBar(bool value)
{
    if (store(m_guiHideMenuBar, value, QStringLiteral("Gui/HideMenuBar")))
        emit hideMenuBarChanged(m_guiHideMenuBar);
}

void Preferences::setGuiHideStatusBar(bool value)
{
    if (store(m_guiHideStatusBar, value, QStringLiteral("Gui/HideStatusBar")))
        emit hideStatusBarChanged(m_guiHideStatusBar);
}

void Preferences::setGuiShowSpace(bool value)
{
    if (store(m_guiShowSpace, value, QStringLiteral("Gui/ShowSpace")))
        emit showSpaceChanged(m_guiShowSpace);
}

void Preferences::setGuiShowEol(bool value)
{
    if (store(m_guiShowEol, value, QStringLiteral("Gui/ShowEol")))
        emit showEolChanged(m_guiShowEol);
}

void Preferences::setGuiToolbarIconSize(int value)
{
    if (store(m_guiToolbarIconSize, value, QStringLiteral("Gui/ToolbarIconSize")))
        emit toolbarIconSizeChanged(m_guiToolbarIconSize);
}

void Preferences::setGuiLanguage(int value)
{
    if (store(m_guiLanguage, value, QStringLiteral("Gui/Language")))
        emit languageChanged(m_guiLanguage);
}

void Preferences::setRecentFiles(const QStringList& files)
{
    store(m_recentFiles, files, QStringLiteral("Gui/RecentFiles"));
}

// Columns

void Preferences::setColumnsStartColumns(int value)
{
    store(m_columnsStartColumns, value, QStringLiteral("Columns/StartColumns"));
}

void Preferences::setColumnsPrefix(const QString& value)
{
    if (store(m_columnsPrefix, value, QStringLiteral("Columns/Prefix")))
        emit prefixSuffixChanged(m_columnsPrefix, m_columnsSuffix);
}

void Preferences::setColumnsSuffix(const QString& value)
{
    if (store(m_columnsSuffix, value, QStringLiteral("Columns/Suffix")))
        emit prefixSuffixChanged(m_columnsPrefix, m_columnsSuffix);
}

void Preferences::setColumnsSynchronousScroll(bool value)
{
    store(m_columnsSynchronousScroll, value, QStringLiteral("Columns/SynchronousScroll"));
}

void Preferences::setColumnsSynchronousCaret(bool value)
{
    store(m_columnsSynchronousCaret, value, QStringLiteral("Columns/SynchronousCaret"));
}

void Preferences::setColumnsHideToolBar(bool value)
{
    if (store(m_columnsHideToolBar, value, QStringLiteral("Columns/HideToolBar")))
        emit columnsHideToolbarChanged(m_columnsHideToolBar);
}

void Preferences::setColumnsNoDrag(bool value)
{
    store(m_columnsNoDrag, value, QStringLiteral("Columns/NoDrag"));
}

// Editor

void Preferences::setEditorDisplayLineNumber(bool value)
{
    if (store(m_editorDisplayLineNumber, value, QStringLiteral("Editor/DisplayLineNumber")))
        emit showLineNumberChanged(m_editorDisplayLineNumber);
}

void Preferences::setEditorReplaceTabBySpace(bool value)
{
    if (store(m_editorReplaceTabBySpace, value, QStringLiteral("Editor/ReplaceTabBySpace")))
        emit useSpaceChanged(m_editorReplaceTabBySpace);
}

void Preferences::setEditorUnicode(bool value)
{
    if (store(m_editorUnicode, value, QStringLiteral("Editor/Unicode")))
        emit useUnicodeChanged(m_editorUnicode);
}

void Preferences::setEditorHighlightCurrentLine(bool value)
{
    if (store(m_editorHighlightCurrentLine, value, QStringLiteral("Editor/HighlightCurrentLine")))
        emit highlightCurrentLineChanged(m_editorHighlightCurrentLine);
}

void Preferences::setEditorHighlightCurrentLineColor(const QColor& value)
{
    if (store(m_editorHighlightCurrentLineColor, value, QStringLiteral("Editor/HighlightCurrentLineColor")))
        emit highlightCurrentLineColorChanged(m_editorHighlightCurrentLineColor);
}

void Preferences::setEditorFontColor(const QColor& value)
{
    if (store(m_editorFontColor, value, QStringLiteral("Editor/FontColor")))
        emit editorFontColorChanged(m_editorFontColor);
}

void Preferences::setEditorSelectionBackgroundColor(const QColor& value)
{
    if (store(m_editorSelectionBackgroundColor, value, QStringLiteral("Editor/SelectionBackgroundColor")))
        emit editorSelectionBackgroundColorChanged(m_editorSelectionBackgroundColor);
}

void Preferences::setEditorTabWidth(int value)
{
    if (store(m_editorTabWidth, value, QStringLiteral("Editor/TabWidth")))
        emit tabWidthChanged(m_editorTabWidth);
}

void Preferences::setEditorFont(const QFont& value)
{
    if (store(m_editorFont, value, QStringLiteral("Editor/Font")))
        emit editorFontChanged(m_editorFont);
}

void Preferences::setEditorEolFormat(EolFormat value)
{
    if (store(m_editorEolFormat, value, QStringLiteral("Editor/EolFormat")))
        emit editorEolFormatChanged(m_editorEolFormat);
}

// Split

void Preferences::setSplitRemoveDuplicateColumns(bool value)
{
    store(m_splitRemoveDuplicateColumns, value, QStringLiteral("Split/RemoveDuplicateColumns"));
}

void Preferences::setSplitMatchWholeWord(bool value)
{
    store(m_splitMatchWholeWord, value, QStringLiteral("Split/MatchWholeWord"));
}

void Preferences::setSplitFilter(const QStringList& filter, const QString& text)
{
    storePair(m_splitFilterList, m_splitFilter, filter, text, QStringLiteral("Split/FilterList"),
              QStringLiteral("Split/Filter"));
}

// Match

void Preferences::setMatchFindWhat(const QStringList& findList, const QString& findWhat)
{
    storePair(m_matchFindList, m_matchFindWhat, findList, findWhat, QStringLiteral("Match/FindList"),
              QStringLiteral("Match/FindWhat"));
}

void Preferences::setMatchRemoveDuplicateColumns(bool value)
{
    store(m_matchRemoveDuplicateColumns, value, QStringLiteral("Match/RemoveDuplicateColumns"));
}

void Preferences::setMatchMatchCase(bool value)
{
    store(m_matchMatchCase, value, QStringLiteral("Match/MatchCase"));
}

void Preferences::setMatchUnicode(bool value)
{
    store(m_matchUnicode, value, QStringLiteral("Match/Unicode"));
}

void Preferences::setMatchMultiLine(bool value)
{
    store(m_matchMultiLine, value, QStringLiteral("Match/MultiLine"));
}

void Preferences::setMatchMatchNewLine(bool value)
{
    store(m_matchMatchNewLine, value, QStringLiteral("Match/MatchNewLine"));
}

// Find

void Preferences::setFindFindText(const QStringList& findList, const QString& findWhat)
{
    storePair(m_findFindList, m_findFindWhat, findList, findWhat, QStringLiteral("Find/FindList"),
              QStringLiteral("Find/FindWhat"));
}

void Preferences::setFindReplaceText(const QStringList& findList, const QString& findWhat)
{
    storePair(m_findReplaceList, m_findReplaceWhat, findList, findWhat, QStringLiteral("Find/ReplaceList"),
              QStringLiteral("Find/ReplaceWhat"));
}

void Preferences::setFindMatchCase(bool value)
{
    store(m_findMatchCase, value, QStringLiteral("Find/MatchCase"));
}

void Preferences::setFindWholeWord(bool value)
{
    store(m_findWholeWord, value, QStringLiteral("Find/WholeWord"));
}

void Preferences::setFindUseRegex(bool value)
{
    store(m_findUseRegex, value, QStringLiteral("Find/UseRegex"));
}

void Preferences::setFindWrapAround(bool value)
{
    store(m_findWrapAround, value, QStringLiteral("Find/WrapAround"));
}

void Preferences::setFindForward(bool value)
{
    store(m_findForward, value, QStringLiteral("Find/Forward"));
}

// DataSetting

void Preferences::setDataSettingNumberFrom(int value)
{
    store(m_dataSettingNumberFrom, value, QStringLiteral("DataSetting/NumberFrom"));
}

void Preferences::setDataSettingNumberTo(int value)
{
    store(m_dataSettingNumberTo, value, QStringLiteral("DataSetting/NumberTo"));
}

void Preferences::setDataSettingNumberBase(int value)
{
    store(m_dataSettingNumberBase, value, QStringLiteral("DataSetting/NumberBase"));
}

void Preferences::setDataSettingNumberUpper(bool value)
{
    store(m_dataSettingNumberUpper, value, QStringLiteral("DataSetting/NumberUpper"));
}

void Preferences::setDataSettingDateFrom(qint64 julianDay)
{
    store(m_dataSettingDateFrom, julianDay, QStringLiteral("DataSetting/DateFrom"));
}

void Preferences::setDataSettingDateTo(qint64 julianDay)
{
    store(m_dataSettingDateTo, julianDay, QStringLiteral("DataSetting/DateTo"));
}

void Preferences::setDataSettingDateFormat(const QString& value)
{
    store(m_dataSettingDateFormat, value, QStringLiteral("DataSetting/DateFormat"));
}

void Preferences::setDataSettingLetterFrom(int value)
{
    store(m_dataSettingLetterFrom, value, QStringLiteral("DataSetting/LetterFrom"));
}

void Preferences::setDataSettingLetterTo(int value)
{
    store(m_dataSettingLetterTo, value, QStringLiteral("DataSetting/LetterTo"));
}

void Preferences::setDataSettingLetterUpper(bool value)
{
    store(m_dataSettingLetterUpper, value, QStringLiteral("DataSetting/LetterUpper"));
}

void Preferences::setDataSettingTimeFrom(int msecsSinceMidnight)
{
    store(m_dataSettingTimeFrom, msecsSinceMidnight, QStringLiteral("DataSetting/TimeFrom"));
}

void Preferences::setDataSettingTimeTo(int msecsSinceMidnight)
{
    store(m_dataSettingTimeTo, msecsSinceMidnight, QStringLiteral("DataSetting/TimeTo"));
}

void Preferences::setDataSettingTimeFormat(const QString& value)
{
    store(m_dataSettingTimeFormat, value, QStringLiteral("DataSetting/TimeFormat"));
}

// Misc

void Preferences::setMiscHideAfterMinimized(bool value)
{
    store(m_miscHideAfterMinimized, value, QStringLiteral("Misc/HideAfterMinimized"));
}

void Preferences::setMiscCloseAfterDataGenerated(bool value)
{
    store(m_miscCloseAfterDataGenerated, value, QStringLiteral("Misc/CloseAfterDataGenerated"));
}

void Preferences::setMiscClearColumnsBeforeLoad(bool value)
{
    store(m_miscClearColumnsBeforeLoad, value, QStringLiteral("Misc/ClearColumnsBeforeLoad"));
}

void Preferences::setMiscCopyToClipBoardAfterMerged(bool value)
{
    store(m_miscCopyToClipBoardAfterMerged, value, QStringLiteral("Misc/CopyToClipBoardAfterMerged"));
}

void Preferences::setMiscCopyToClipBoardAfterReplaced(bool value)
{
    store(m_miscCopyToClipBoardAfterReplaced, value, QStringLiteral("Misc/CopyToClipBoardAfterReplaced"));
}

void Preferences::setMiscResizeColumn(int value)
{
    store(m_miscResizeColumn, value, QStringLiteral("Misc/ResizeColumn"));
}

// Window

void Preferences::loadWindowState(QByteArray& geometry, QByteArray& state)
{
    geometry = m_settings.value(QStringLiteral("Window/geometry")).toByteArray();
    state = m_settings.value(QStringLiteral("Window/windowState")).toByteArray();
}

void Preferences::saveWindowState(const QByteArray& geometry, const QByteArray& state)
{
    m_settings.setValue(QStringLiteral("Window/geometry"), geometry);
    m_settings.setValue(QStringLiteral("Window/windowState"), state);
}
