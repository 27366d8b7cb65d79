#pragma once
// The process-wide settings store: every preference and dialog history of the program, loaded once
// when the store is created, written through to the user's settings on every change, with a signal
// for each change that the window has to follow.

#include "editor/TextUtils.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>

// Only pointers to editors pass through the store; the widget class lives in the widget library.
class Editor;

Q_DECLARE_METATYPE(EolFormat)

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

    // Line break of the held end-of-line format.
    QString eolString() const { return ::eolString(m_editorEolFormat); }

    // Gui
    bool guiSaveBeforeExit() const { return m_guiSaveBeforeExit; }
    void setGuiSaveBeforeExit(bool value);
    bool guiOpenLastFile() const { return m_guiOpenLastFile; }
    void setGuiOpenLastFile(bool value);
    bool guiAlwaysOnTop() const { return m_guiAlwaysOnTop; }
    void setGuiAlwaysOnTop(bool value);
    bool guiHideMenuBar() const { return m_guiHideMenuBar; }
    void setGuiHideMenuBar(bool value);
    bool guiHideStatusBar() const { return m_guiHideStatusBar; }
    void setGuiHideStatusBar(bool value);
    bool guiShowSpace() const { return m_guiShowSpace; }
    void setGuiShowSpace(bool value);
    bool guiShowEol() const { return m_guiShowEol; }
    void setGuiShowEol(bool value);
    int guiToolbarIconSize() const { return m_guiToolbarIconSize; }
    void setGuiToolbarIconSize(int value);
    int guiLanguage() const { return m_guiLanguage; }
    void setGuiLanguage(int value);
    // Kept as given: order, length and duplicates are the main window's business.
    QStringList recentFiles() const { return m_recentFiles; }
    void setRecentFiles(const QStringList& files);

    // Columns
    int columnsStartColumns() const { return m_columnsStartColumns; }
    void setColumnsStartColumns(int value);
    QString columnsPrefix() const { return m_columnsPrefix; }
    void setColumnsPrefix(const QString& value);
    QString columnsSuffix() const { return m_columnsSuffix; }
    void setColumnsSuffix(const QString& value);
    bool columnsSynchronousScroll() const { return m_columnsSynchronousScroll; }
    void setColumnsSynchronousScroll(bool value);
    bool columnsSynchronousCaret() const { return m_columnsSynchronousCaret; }
    void setColumnsSynchronousCaret(bool value);
    bool columnsHideToolBar() const { return m_columnsHideToolBar; }
    void setColumnsHideToolBar(bool value);
    bool columnsNoDrag() const { return m_columnsNoDrag; }
    void setColumnsNoDrag(bool value);

    // Editor
    bool editorDisplayLineNumber() const { return m_editorDisplayLineNumber; }
    void setEditorDisplayLineNumber(bool value);
    bool editorReplaceTabBySpace() const { return m_editorReplaceTabBySpace; }
    void setEditorReplaceTabBySpace(bool value);
    bool editorUnicode() const { return m_editorUnicode; }
    void setEditorUnicode(bool value);
    bool editorHighlightCurrentLine() const { return m_editorHighlightCurrentLine; }
    void setEditorHighlightCurrentLine(bool value);
    QColor editorHighlightCurrentLineColor() const { return m_editorHighlightCurrentLineColor; }
    void setEditorHighlightCurrentLineColor(const QColor& value);
    QColor editorFontColor() const { return m_editorFontColor; }
    void setEditorFontColor(const QColor& value);
    QColor editorSelectionBackgroundColor() const { return m_editorSelectionBackgroundColor; }
    void setEditorSelectionBackgroundColor(const QColor& value);
    int editorTabWidth() const { return m_editorTabWidth; }
    void setEditorTabWidth(int value);
    QFont editorFont() const { return m_editorFont; }
    void setEditorFont(const QFont& value);
    EolFormat editorEolFormat() const { return m_editorEolFormat; }
    void setEditorEolFormat(EolFormat value);

    // Split
    bool splitRemoveDuplicateColumns() const { return m_splitRemoveDuplicateColumns; }
    void setSplitRemoveDuplicateColumns(bool value);
    bool splitMatchWholeWord() const { return m_splitMatchWholeWord; }
    void setSplitMatchWholeWord(bool value);
    QStringList splitFilterList() const { return m_splitFilterList; }
    QString splitFilter() const { return m_splitFilter; }

    // Match
    QStringList matchFindList() const { return m_matchFindList; }
    QString matchFindWhat() const { return m_matchFindWhat; }
    bool matchRemoveDuplicateColumns() const { return m_matchRemoveDuplicateColumns; }
    void setMatchRemoveDuplicateColumns(bool value);
    bool matchMatchCase() const { return m_matchMatchCase; }
    void setMatchMatchCase(bool value);
    bool matchUnicode() const { return m_matchUnicode; }
    void setMatchUnicode(bool value);
    bool matchMultiLine() const { return m_matchMultiLine; }
    void setMatchMultiLine(bool value);
    bool matchMatchNewLine() const { return m_matchMatchNewLine; }
    void setMatchMatchNewLine(bool value);

    // Find
    QStringList findFindList() const { return m_findFindList; }
    QString findFindWhat() const { return m_findFindWhat; }
    QStringList findReplaceList() const { return m_findReplaceList; }
    QString findReplaceWhat() const { return m_findReplaceWhat; }
    bool findMatchCase() const { return m_findMatchCase; }
    void setFindMatchCase(bool value);
    bool findWholeWord() const { return m_findWholeWord; }
    void setFindWholeWord(bool value);
    bool findUseRegex() const { return m_findUseRegex; }
    void setFindUseRegex(bool value);
    bool findWrapAround() const { return m_findWrapAround; }
    void setFindWrapAround(bool value);
    bool findForward() const { return m_findForward; }
    void setFindForward(bool value);

    // DataSetting; dates are Julian day numbers, times milliseconds since midnight.
    int dataSettingNumberFrom() const { return m_dataSettingNumberFrom; }
    void setDataSettingNumberFrom(int value);
    int dataSettingNumberTo() const { return m_dataSettingNumberTo; }
    void setDataSettingNumberTo(int value);
    int dataSettingNumberBase() const { return m_dataSettingNumberBase; }
    void setDataSettingNumberBase(int value);
    bool dataSettingNumberUpper() const { return m_dataSettingNumberUpper; }
    void setDataSettingNumberUpper(bool value);
    qint64 dataSettingDateFrom() const { return m_dataSettingDateFrom; }
    void setDataSettingDateFrom(qint64 julianDay);
    qint64 dataSettingDateTo() const { return m_dataSettingDateTo; }
    void setDataSettingDateTo(qint64 julianDay);
    QString dataSettingDateFormat() const { return m_dataSettingDateFormat; }
    void setDataSettingDateFormat(const QString& value);
    int dataSettingLetterFrom() const { return m_dataSettingLetterFrom; }
    void setDataSettingLetterFrom(int value);
    int dataSettingLetterTo() const { return m_dataSettingLetterTo; }
    void setDataSettingLetterTo(int value);
    bool dataSettingLetterUpper() const { return m_dataSettingLetterUpper; }
    void setDataSettingLetterUpper(bool value);
    int dataSettingTimeFrom() const { return m_dataSettingTimeFrom; }
    void setDataSettingTimeFrom(int msecsSinceMidnight);
    int dataSettingTimeTo() const { return m_dataSettingTimeTo; }
    void setDataSettingTimeTo(int msecsSinceMidnight);
    QString dataSettingTimeFormat() const { return m_dataSettingTimeFormat; }
    void setDataSettingTimeFormat(const QString& value);

    // Misc
    bool miscHideAfterMinimized() const { return m_miscHideAfterMinimized; }
    void setMiscHideAfterMinimized(bool value);
    bool miscCloseAfterDataGenerated() const { return m_miscCloseAfterDataGenerated; }
    void setMiscCloseAfterDataGenerated(bool value);
    bool miscClearColumnsBeforeLoad() const { return m_miscClearColumnsBeforeLoad; }
    void setMiscClearColumnsBeforeLoad(bool value);
    bool miscCopyToClipBoardAfterMerged() const { return m_miscCopyToClipBoardAfterMerged; }
    void setMiscCopyToClipBoardAfterMerged(bool value);
    bool miscCopyToClipBoardAfterReplaced() const { return m_miscCopyToClipBoardAfterReplaced; }
    void setMiscCopyToClipBoardAfterReplaced(bool value);
    int miscResizeColumn() const { return m_miscResizeColumn; }
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
    bool readBool(const QString& key, bool defaultValue) const;
    int readInt(const QString& key, int defaultValue) const;
    QString readString(const QString& key, const QString& defaultValue) const;
    QStringList readStringList(const QString& key) const;
    QColor readColor(const QString& key, const QColor& defaultValue) const;
    QFont readFont(const QString& key, const QFont& defaultValue) const;
    int readTime(const QString& key, int defaultValue) const;

    // Writes and holds value unless it is the one already held; returns whether it did.
    template <typename T>
    bool store(T& field, const T& value, const QString& key);
    bool storePair(QStringList& listField, QString& textField, const QStringList& list, const QString& text,
                   const QString& listKey, const QString& textKey);

    static Preferences* s_instance;

    QSettings m_settings;

    bool m_guiSaveBeforeExit = true;
    bool m_guiOpenLastFile = false;
    bool m_guiAlwaysOnTop = false;
    bool m_guiHideMenuBar = false;
    bool m_guiHideStatusBar = false;
    bool m_guiShowSpace = false;
    bool m_guiShowEol = false;
    int m_guiToolbarIconSize = 24;
    int m_guiLanguage = 0;
    QStringList m_recentFiles;

    int m_columnsStartColumns = 2;
    QString m_columnsPrefix;
    QString m_columnsSuffix;
    bool m_columnsSynchronousScroll = true;
    bool m_columnsSynchronousCaret = true;
    bool m_columnsHideToolBar = false;
    bool m_columnsNoDrag = false;

    bool m_editorDisplayLineNumber = true;
    bool m_editorReplaceTabBySpace = true;
    bool m_editorUnicode = false;
    bool m_editorHighlightCurrentLine = true;
    QColor m_editorHighlightCurrentLineColor;
    QColor m_editorFontColor;
    QColor m_editorSelectionBackgroundColor;
    int m_editorTabWidth = 4;
    QFont m_editorFont;
    EolFormat m_editorEolFormat = EolUnix;

    bool m_splitRemoveDuplicateColumns = false;
    bool m_splitMatchWholeWord = false;
    QStringList m_splitFilterList;
    QString m_splitFilter;

    QStringList m_matchFindList;
    QString m_matchFindWhat;
    bool m_matchRemoveDuplicateColumns = false;
    bool m_matchMatchCase = false;
    bool m_matchUnicode = false;
    bool m_matchMultiLine = true;
    bool m_matchMatchNewLine = false;

    QStringList m_findFindList;
    QString m_findFindWhat;
    QStringList m_findReplaceList;
    QString m_findReplaceWhat;
    bool m_findMatchCase = false;
    bool m_findWholeWord = false;
    bool m_findUseRegex = false;
    bool m_findWrapAround = false;
    bool m_findForward = true;

    int m_dataSettingNumberFrom = 0;
    int m_dataSettingNumberTo = 100;
    int m_dataSettingNumberBase = 10;
    bool m_dataSettingNumberUpper = false;
    qint64 m_dataSettingDateFrom = 0;
    qint64 m_dataSettingDateTo = 0;
    QString m_dataSettingDateFormat;
    int m_dataSettingLetterFrom = 10;
    int m_dataSettingLetterTo = 35;
    bool m_dataSettingLetterUpper = false;
    int m_dataSettingTimeFrom = 0;
    int m_dataSettingTimeTo = 86399999;
    QString m_dataSettingTimeFormat;

    bool m_miscHideAfterMinimized = false;
    bool m_miscCloseAfterDataGenerated = false;
    bool m_miscClearColumnsBeforeLoad = false;
    bool m_miscCopyToClipBoardAfterMerged = false;
    bool m_miscCopyToClipBoardAfterReplaced = false;
    int m_miscResizeColumn = 2;
};
