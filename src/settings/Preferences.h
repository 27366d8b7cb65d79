#pragma once
// The process-wide settings store: every preference and dialog history of the program, loaded once
// when the store is created, written through to the user's settings on every change, with a signal
// for each change that the window has to follow.

#include "editor/TextUtils.h"

#include <QByteArray>
#include <QColor>
#include <QDate>
#include <QFont>
#include <QMetaType>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <vector>

// Only pointers to editors pass through the store; the widget class lives in the widget library.
class Editor;

Q_DECLARE_METATYPE(EolFormat)

// How each kind of value is put into the settings and read back. Every read gives the default for an
// absent key; what a stored value that does not fit gives is the kind's own rule.
namespace SettingValues {

constexpr int MsecsPerDay = 86400000;

// The separators the split dialog offers before the user has typed any.
QString separatorCharacters();
qint64 yearAfter(qint64 julianDay);

// A boolean that does not convert reads as false.
bool read(const QSettings& settings, const QString& key, const bool& defaultValue);
// An integer that does not convert reads as the default.
int read(const QSettings& settings, const QString& key, const int& defaultValue);
QString read(const QSettings& settings, const QString& key, const QString& defaultValue);
QStringList read(const QSettings& settings, const QString& key, const QStringList& defaultValue);
// Stored by name; a text that names no colour reads as an invalid colour, not as the default.
QColor read(const QSettings& settings, const QString& key, const QColor& defaultValue);
// A value that does not convert to a font reads as the default.
QFont read(const QSettings& settings, const QString& key, const QFont& defaultValue);
EolFormat read(const QSettings& settings, const QString& key, const EolFormat& defaultValue);
QByteArray read(const QSettings& settings, const QString& key, const QByteArray& defaultValue);
// Stored as a 64-bit number but read as an integer, whose rule it follows.
qint64 readJulianDay(const QSettings& settings, const QString& key, const qint64& defaultValue);
// Milliseconds since midnight; a number outside the day reads as midnight.
int readTimeOfDay(const QSettings& settings, const QString& key, const int& defaultValue);

// Most kinds are stored as they are.
template <typename T> QVariant toStored(const T& value)
{
    return QVariant::fromValue(value);
}
// By name, "#rrggbb": alpha is dropped.
QVariant toStored(const QColor& value);
QVariant toStored(EolFormat value);

} // namespace SettingValues

// A key with its default and its read rule, declared once for reading and writing alike.
template <typename T> class SettingKey
{
public:
    using Reader = T (*)(const QSettings& settings, const QString& key, const T& defaultValue);

    SettingKey(const QString& key, const T& defaultValue, Reader reader = &SettingValues::read)
        : m_key(key), m_defaultValue(defaultValue), m_reader(reader)
    {
    }

    const QString& key() const { return m_key; }
    const T& defaultValue() const { return m_defaultValue; }
    T read(const QSettings& settings) const { return m_reader(settings, m_key, m_defaultValue); }
    void write(QSettings& settings, const T& value) const { settings.setValue(m_key, SettingValues::toStored(value)); }

private:
    QString m_key;
    T m_defaultValue;
    Reader m_reader;
};

// What the store's load loop sees of a cached setting.
class LoadedSetting
{
public:
    virtual ~LoadedSetting() = default;
    virtual const QString& key() const = 0;
    virtual void load(const QSettings& settings) = 0;
};

using SettingTable = std::vector<LoadedSetting*>;

// A key whose value is held, starting at the default, and that enters its owner's table when made.
template <typename T> class Setting final : public SettingKey<T>, public LoadedSetting
{
public:
    Setting(SettingTable& table, const QString& key, const T& defaultValue,
            typename SettingKey<T>::Reader reader = &SettingValues::read)
        : SettingKey<T>(key, defaultValue, reader), m_value(defaultValue)
    {
        table.push_back(this);
    }
    Q_DISABLE_COPY(Setting)

    const QString& key() const override { return SettingKey<T>::key(); }
    void load(const QSettings& settings) override { m_value = this->read(settings); }

    const T& value() const { return m_value; }
    // Writes and holds value unless it is the one already held; returns whether it did.
    bool set(QSettings& settings, const T& value)
    {
        if (m_value == value)
            return false;
        writeAndHold(settings, value);
        return true;
    }
    void writeAndHold(QSettings& settings, const T& value)
    {
        this->write(settings, value);
        m_value = value;
    }

private:
    T m_value;
};

class Preferences : public QObject
{
    Q_OBJECT
public:
    // The store, created (and loaded) on the first call. The application's organisation domain and
    // name must be set before, or the settings are looked for in the wrong place.
    static Preferences* instance();
    // Deletes the store; its settings object writes out what is still pending.
    static void destroy();

    ~Preferences() override;

    // The keys loaded when the store is made, in the order they are loaded; the window state is not among them.
    QStringList settingKeys() const;

    // Line break of the held end-of-line format.
    QString eolString() const { return ::eolString(m_editorEolFormat.value()); }

    // Gui
    bool guiSaveBeforeExit() const { return m_guiSaveBeforeExit.value(); }
    void setGuiSaveBeforeExit(bool value);
    bool guiOpenLastFile() const { return m_guiOpenLastFile.value(); }
    void setGuiOpenLastFile(bool value);
    bool guiAlwaysOnTop() const { return m_guiAlwaysOnTop.value(); }
    void setGuiAlwaysOnTop(bool value);
    bool guiHideMenuBar() const { return m_guiHideMenuBar.value(); }
    void setGuiHideMenuBar(bool value);
    bool guiHideStatusBar() const { return m_guiHideStatusBar.value(); }
    void setGuiHideStatusBar(bool value);
    bool guiShowSpace() const { return m_guiShowSpace.value(); }
    void setGuiShowSpace(bool value);
    bool guiShowEol() const { return m_guiShowEol.value(); }
    void setGuiShowEol(bool value);
    // The live preview of the first records under the template.
    bool guiShowPreview() const { return m_guiShowPreview.value(); }
    void setGuiShowPreview(bool value);
    int guiToolbarIconSize() const { return m_guiToolbarIconSize.value(); }
    void setGuiToolbarIconSize(int value);
    int guiLanguage() const { return m_guiLanguage.value(); }
    void setGuiLanguage(int value);
    // Kept as given: order, length and duplicates are the main window's business.
    QStringList recentFiles() const { return m_recentFiles.value(); }
    void setRecentFiles(const QStringList& files);

    // Columns
    int columnsStartColumns() const { return m_columnsStartColumns.value(); }
    void setColumnsStartColumns(int value);
    QString columnsPrefix() const { return m_columnsPrefix.value(); }
    void setColumnsPrefix(const QString& value);
    QString columnsSuffix() const { return m_columnsSuffix.value(); }
    void setColumnsSuffix(const QString& value);
    bool columnsSynchronousScroll() const { return m_columnsSynchronousScroll.value(); }
    void setColumnsSynchronousScroll(bool value);
    bool columnsSynchronousCaret() const { return m_columnsSynchronousCaret.value(); }
    void setColumnsSynchronousCaret(bool value);
    bool columnsHideToolBar() const { return m_columnsHideToolBar.value(); }
    void setColumnsHideToolBar(bool value);
    bool columnsNoDrag() const { return m_columnsNoDrag.value(); }
    void setColumnsNoDrag(bool value);

    // Editor
    bool editorDisplayLineNumber() const { return m_editorDisplayLineNumber.value(); }
    void setEditorDisplayLineNumber(bool value);
    bool editorReplaceTabBySpace() const { return m_editorReplaceTabBySpace.value(); }
    void setEditorReplaceTabBySpace(bool value);
    bool editorUnicode() const { return m_editorUnicode.value(); }
    void setEditorUnicode(bool value);
    bool editorHighlightCurrentLine() const { return m_editorHighlightCurrentLine.value(); }
    void setEditorHighlightCurrentLine(bool value);
    QColor editorHighlightCurrentLineColor() const { return m_editorHighlightCurrentLineColor.value(); }
    void setEditorHighlightCurrentLineColor(const QColor& value);
    QColor editorFontColor() const { return m_editorFontColor.value(); }
    void setEditorFontColor(const QColor& value);
    QColor editorSelectionBackgroundColor() const { return m_editorSelectionBackgroundColor.value(); }
    void setEditorSelectionBackgroundColor(const QColor& value);
    int editorTabWidth() const { return m_editorTabWidth.value(); }
    void setEditorTabWidth(int value);
    QFont editorFont() const { return m_editorFont.value(); }
    void setEditorFont(const QFont& value);
    EolFormat editorEolFormat() const { return m_editorEolFormat.value(); }
    void setEditorEolFormat(EolFormat value);

    // Split
    bool splitRemoveDuplicateColumns() const { return m_splitRemoveDuplicateColumns.value(); }
    void setSplitRemoveDuplicateColumns(bool value);
    bool splitMatchWholeWord() const { return m_splitMatchWholeWord.value(); }
    void setSplitMatchWholeWord(bool value);
    QStringList splitFilterList() const { return m_splitFilterList.value(); }
    QString splitFilter() const { return m_splitFilter.value(); }

    // Match
    QStringList matchFindList() const { return m_matchFindList.value(); }
    QString matchFindWhat() const { return m_matchFindWhat.value(); }
    bool matchRemoveDuplicateColumns() const { return m_matchRemoveDuplicateColumns.value(); }
    void setMatchRemoveDuplicateColumns(bool value);
    bool matchMatchCase() const { return m_matchMatchCase.value(); }
    void setMatchMatchCase(bool value);
    bool matchUnicode() const { return m_matchUnicode.value(); }
    void setMatchUnicode(bool value);
    bool matchMultiLine() const { return m_matchMultiLine.value(); }
    void setMatchMultiLine(bool value);
    bool matchMatchNewLine() const { return m_matchMatchNewLine.value(); }
    void setMatchMatchNewLine(bool value);

    // Find
    QStringList findFindList() const { return m_findFindList.value(); }
    QString findFindWhat() const { return m_findFindWhat.value(); }
    QStringList findReplaceList() const { return m_findReplaceList.value(); }
    QString findReplaceWhat() const { return m_findReplaceWhat.value(); }
    bool findMatchCase() const { return m_findMatchCase.value(); }
    void setFindMatchCase(bool value);
    bool findWholeWord() const { return m_findWholeWord.value(); }
    void setFindWholeWord(bool value);
    bool findUseRegex() const { return m_findUseRegex.value(); }
    void setFindUseRegex(bool value);
    bool findWrapAround() const { return m_findWrapAround.value(); }
    void setFindWrapAround(bool value);
    bool findForward() const { return m_findForward.value(); }
    void setFindForward(bool value);

    // DataSetting; dates are Julian day numbers, times milliseconds since midnight.
    int dataSettingNumberFrom() const { return m_dataSettingNumberFrom.value(); }
    void setDataSettingNumberFrom(int value);
    int dataSettingNumberTo() const { return m_dataSettingNumberTo.value(); }
    void setDataSettingNumberTo(int value);
    int dataSettingNumberBase() const { return m_dataSettingNumberBase.value(); }
    void setDataSettingNumberBase(int value);
    bool dataSettingNumberUpper() const { return m_dataSettingNumberUpper.value(); }
    void setDataSettingNumberUpper(bool value);
    qint64 dataSettingDateFrom() const { return m_dataSettingDateFrom.value(); }
    void setDataSettingDateFrom(qint64 julianDay);
    qint64 dataSettingDateTo() const { return m_dataSettingDateTo.value(); }
    void setDataSettingDateTo(qint64 julianDay);
    QString dataSettingDateFormat() const { return m_dataSettingDateFormat.value(); }
    void setDataSettingDateFormat(const QString& value);
    int dataSettingLetterFrom() const { return m_dataSettingLetterFrom.value(); }
    void setDataSettingLetterFrom(int value);
    int dataSettingLetterTo() const { return m_dataSettingLetterTo.value(); }
    void setDataSettingLetterTo(int value);
    bool dataSettingLetterUpper() const { return m_dataSettingLetterUpper.value(); }
    void setDataSettingLetterUpper(bool value);
    int dataSettingTimeFrom() const { return m_dataSettingTimeFrom.value(); }
    void setDataSettingTimeFrom(int msecsSinceMidnight);
    int dataSettingTimeTo() const { return m_dataSettingTimeTo.value(); }
    void setDataSettingTimeTo(int msecsSinceMidnight);
    QString dataSettingTimeFormat() const { return m_dataSettingTimeFormat.value(); }
    void setDataSettingTimeFormat(const QString& value);

    // Misc
    bool miscHideAfterMinimized() const { return m_miscHideAfterMinimized.value(); }
    void setMiscHideAfterMinimized(bool value);
    bool miscCloseAfterDataGenerated() const { return m_miscCloseAfterDataGenerated.value(); }
    void setMiscCloseAfterDataGenerated(bool value);
    bool miscClearColumnsBeforeLoad() const { return m_miscClearColumnsBeforeLoad.value(); }
    void setMiscClearColumnsBeforeLoad(bool value);
    bool miscCopyToClipBoardAfterMerged() const { return m_miscCopyToClipBoardAfterMerged.value(); }
    void setMiscCopyToClipBoardAfterMerged(bool value);
    bool miscCopyToClipBoardAfterReplaced() const { return m_miscCopyToClipBoardAfterReplaced.value(); }
    void setMiscCopyToClipBoardAfterReplaced(bool value);
    int miscResizeColumn() const { return m_miscResizeColumn.value(); }
    void setMiscResizeColumn(int value);

    // Window geometry and tool-bar state, read from the settings on each call rather than cached.
    void loadWindowState(QByteArray& geometry, QByteArray& state);
    void saveWindowState(const QByteArray& geometry, const QByteArray& state);

public slots:
    // History pairs of the dialogs' history combo boxes: the list and the current text.
    void setSplitFilter(const QStringList& filter, const QString& text);
    void setMatchFindWhat(const QStringList& findList, const QString& findWhat);
    void setFindFindText(const QStringList& findList, const QString& findWhat);
    void setFindReplaceText(const QStringList& findList, const QString& findWhat);

signals:
    void languageChanged(int language);
    void showLineNumberChanged(bool show);
    // Emitted by an editor (not by a setter) when a mouse button is pressed in it.
    void focusEditorChanged(Editor* editor);
    void showSpaceChanged(bool show);
    void useSpaceChanged(bool useSpace);
    void useUnicodeChanged(bool unicode);
    void showEolChanged(bool show);
    void hideMenuBarChanged(bool hide);
    void columnsHideToolbarChanged(bool hide);
    void hideStatusBarChanged(bool hide);
    void highlightCurrentLineChanged(bool highlight);
    void highlightCurrentLineColorChanged(const QColor& color);
    void tabWidthChanged(int width);
    void toolbarIconSizeChanged(int size);
    void editorEolFormatChanged(EolFormat format);
    void editorFontChanged(const QFont& font);
    void editorFontColorChanged(const QColor& color);
    void editorSelectionBackgroundColorChanged(const QColor& color);
    // Always the current prefix and the current suffix, whichever of the two changed.
    void prefixSuffixChanged(const QString& prefix, const QString& suffix);

private:
    explicit Preferences(QObject* parent = nullptr);
    Q_DISABLE_COPY(Preferences)

    void load();
    // Writes the list and then the text, unless both are the ones already held.
    void storePair(Setting<QStringList>& list, Setting<QString>& text, const QStringList& listValue,
                   const QString& textValue);

    static Preferences* s_instance;

    QSettings m_settings;
    // Filled by the settings below as they are made, so it lists them in declaration order, which
    // is the order they are loaded in.
    SettingTable m_table;

    Setting<bool> m_guiSaveBeforeExit{m_table, QStringLiteral("Gui/SaveBeforeExit"), true};
    Setting<bool> m_guiOpenLastFile{m_table, QStringLiteral("Gui/OpenLastFile"), false};
    Setting<bool> m_guiAlwaysOnTop{m_table, QStringLiteral("Gui/AlwaysOnTop"), false};
    Setting<bool> m_guiHideMenuBar{m_table, QStringLiteral("Gui/HideMenuBar"), false};
    Setting<bool> m_guiHideStatusBar{m_table, QStringLiteral("Gui/HideStatusBar"), false};
    Setting<bool> m_guiShowSpace{m_table, QStringLiteral("Gui/ShowSpace"), false};
    Setting<bool> m_guiShowEol{m_table, QStringLiteral("Gui/ShowEol"), false};
    Setting<bool> m_guiShowPreview{m_table, QStringLiteral("Gui/ShowPreview"), false};
    Setting<int> m_guiToolbarIconSize{m_table, QStringLiteral("Gui/ToolbarIconSize"), 24};
    Setting<int> m_guiLanguage{m_table, QStringLiteral("Gui/Language"), 0};
    Setting<QStringList> m_recentFiles{m_table, QStringLiteral("Gui/RecentFiles"), QStringList()};

    Setting<int> m_columnsStartColumns{m_table, QStringLiteral("Columns/StartColumns"), 2};
    Setting<QString> m_columnsPrefix{m_table, QStringLiteral("Columns/Prefix"), QStringLiteral("#")};
    Setting<QString> m_columnsSuffix{m_table, QStringLiteral("Columns/Suffix"), QStringLiteral("#")};
    Setting<bool> m_columnsSynchronousScroll{m_table, QStringLiteral("Columns/SynchronousScroll"), true};
    Setting<bool> m_columnsSynchronousCaret{m_table, QStringLiteral("Columns/SynchronousCaret"), true};
    Setting<bool> m_columnsHideToolBar{m_table, QStringLiteral("Columns/HideToolBar"), false};
    Setting<bool> m_columnsNoDrag{m_table, QStringLiteral("Columns/NoDrag"), false};

    Setting<bool> m_editorDisplayLineNumber{m_table, QStringLiteral("Editor/DisplayLineNumber"), true};
    Setting<bool> m_editorReplaceTabBySpace{m_table, QStringLiteral("Editor/ReplaceTabBySpace"), true};
    Setting<bool> m_editorUnicode{m_table, QStringLiteral("Editor/Unicode"), false};
    Setting<bool> m_editorHighlightCurrentLine{m_table, QStringLiteral("Editor/HighlightCurrentLine"), true};
    Setting<QColor> m_editorHighlightCurrentLineColor{m_table, QStringLiteral("Editor/HighlightCurrentLineColor"),
                                                      QColor(232, 232, 255)};
    Setting<QColor> m_editorFontColor{m_table, QStringLiteral("Editor/FontColor"), QColor(0, 0, 0)};
    Setting<QColor> m_editorSelectionBackgroundColor{m_table, QStringLiteral("Editor/SelectionBackgroundColor"),
                                                     QColor(0, 0, 255)};
    Setting<int> m_editorTabWidth{m_table, QStringLiteral("Editor/TabWidth"), 4};
    // A default-made font is the application's font, and needs no application object to be made.
    Setting<QFont> m_editorFont{m_table, QStringLiteral("Editor/Font"), QFont()};
    Setting<EolFormat> m_editorEolFormat{m_table, QStringLiteral("Editor/EolFormat"), EolUnix};

    Setting<bool> m_splitRemoveDuplicateColumns{m_table, QStringLiteral("Split/RemoveDuplicateColumns"), false};
    Setting<bool> m_splitMatchWholeWord{m_table, QStringLiteral("Split/MatchWholeWord"), false};
    Setting<QStringList> m_splitFilterList{m_table, QStringLiteral("Split/FilterList"), QStringList()};
    Setting<QString> m_splitFilter{m_table, QStringLiteral("Split/Filter"), SettingValues::separatorCharacters()};

    Setting<QStringList> m_matchFindList{m_table, QStringLiteral("Match/FindList"), QStringList()};
    Setting<QString> m_matchFindWhat{m_table, QStringLiteral("Match/FindWhat"), QString()};
    Setting<bool> m_matchRemoveDuplicateColumns{m_table, QStringLiteral("Match/RemoveDuplicateColumns"), false};
    Setting<bool> m_matchMatchCase{m_table, QStringLiteral("Match/MatchCase"), false};
    Setting<bool> m_matchUnicode{m_table, QStringLiteral("Match/Unicode"), false};
    Setting<bool> m_matchMultiLine{m_table, QStringLiteral("Match/MultiLine"), true};
    Setting<bool> m_matchMatchNewLine{m_table, QStringLiteral("Match/MatchNewLine"), false};

    Setting<QStringList> m_findFindList{m_table, QStringLiteral("Find/FindList"), QStringList()};
    Setting<QString> m_findFindWhat{m_table, QStringLiteral("Find/FindWhat"), QString()};
    Setting<QStringList> m_findReplaceList{m_table, QStringLiteral("Find/ReplaceList"), QStringList()};
    Setting<QString> m_findReplaceWhat{m_table, QStringLiteral("Find/ReplaceWhat"), QString()};
    Setting<bool> m_findMatchCase{m_table, QStringLiteral("Find/MatchCase"), false};
    Setting<bool> m_findWholeWord{m_table, QStringLiteral("Find/WholeWord"), false};
    Setting<bool> m_findUseRegex{m_table, QStringLiteral("Find/UseRegex"), false};
    Setting<bool> m_findWrapAround{m_table, QStringLiteral("Find/WrapAround"), false};
    Setting<bool> m_findForward{m_table, QStringLiteral("Find/Forward"), true};

    Setting<int> m_dataSettingNumberFrom{m_table, QStringLiteral("DataSetting/NumberFrom"), 0};
    Setting<int> m_dataSettingNumberTo{m_table, QStringLiteral("DataSetting/NumberTo"), 100};
    Setting<int> m_dataSettingNumberBase{m_table, QStringLiteral("DataSetting/NumberBase"), 10};
    Setting<bool> m_dataSettingNumberUpper{m_table, QStringLiteral("DataSetting/NumberUpper"), false};
    Setting<qint64> m_dataSettingDateFrom{m_table, QStringLiteral("DataSetting/DateFrom"),
                                          QDate::currentDate().toJulianDay(), &SettingValues::readJulianDay};
    // A year after the other default rather than after a second look at the clock, which may have
    // passed midnight meanwhile.
    Setting<qint64> m_dataSettingDateTo{m_table, QStringLiteral("DataSetting/DateTo"),
                                        SettingValues::yearAfter(m_dataSettingDateFrom.defaultValue()),
                                        &SettingValues::readJulianDay};
    Setting<QString> m_dataSettingDateFormat{m_table, QStringLiteral("DataSetting/DateFormat"),
                                             QStringLiteral("yyyy-MM-dd")};
    Setting<int> m_dataSettingLetterFrom{m_table, QStringLiteral("DataSetting/LetterFrom"), 10};
    Setting<int> m_dataSettingLetterTo{m_table, QStringLiteral("DataSetting/LetterTo"), 35};
    Setting<bool> m_dataSettingLetterUpper{m_table, QStringLiteral("DataSetting/LetterUpper"), false};
    Setting<int> m_dataSettingTimeFrom{m_table, QStringLiteral("DataSetting/TimeFrom"), 0,
                                       &SettingValues::readTimeOfDay};
    Setting<int> m_dataSettingTimeTo{m_table, QStringLiteral("DataSetting/TimeTo"), SettingValues::MsecsPerDay - 1,
                                     &SettingValues::readTimeOfDay};
    Setting<QString> m_dataSettingTimeFormat{m_table, QStringLiteral("DataSetting/TimeFormat"),
                                             QStringLiteral("hh:mm:ss")};

    Setting<bool> m_miscHideAfterMinimized{m_table, QStringLiteral("Misc/HideAfterMinimized"), false};
    Setting<bool> m_miscCloseAfterDataGenerated{m_table, QStringLiteral("Misc/CloseAfterDataGenerated"), false};
    Setting<bool> m_miscClearColumnsBeforeLoad{m_table, QStringLiteral("Misc/ClearColumnsBeforeLoad"), false};
    Setting<bool> m_miscCopyToClipBoardAfterMerged{m_table, QStringLiteral("Misc/CopyToClipBoardAfterMerged"), false};
    Setting<bool> m_miscCopyToClipBoardAfterReplaced{m_table, QStringLiteral("Misc/CopyToClipBoardAfterReplaced"),
                                                     false};
    Setting<int> m_miscResizeColumn{m_table, QStringLiteral("Misc/ResizeColumn"), 2};

    // Read on demand by the main window, never loaded with the others.
    const SettingKey<QByteArray> m_windowGeometry{QStringLiteral("Window/geometry"), QByteArray()};
    const SettingKey<QByteArray> m_windowState{QStringLiteral("Window/windowState"), QByteArray()};
};
