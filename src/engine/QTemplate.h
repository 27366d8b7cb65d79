#pragma once
// A template file: the working state of a merge (multi-line flag, template text, the columns with their
// snippets) in an INI file. Holds the values it read or was last given and writes only what changed.
// Read by a reader of its own that follows the settings library's INI format to the byte; written
// through the library.

#include "engine/ValueFormat.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <functional>

class EventPacer;

// What a template file that does not say takes: the snippet's prefix and suffix around the column
// number, and the column count.
struct TemplateDefaults
{
    QString prefix = QStringLiteral("#");
    QString suffix = QStringLiteral("#");
    int startColumns = 2;
};

class QTemplate : public QObject
{
    Q_OBJECT
public:
    // The row never holds more columns, so reading stops there whatever count the file gives.
    static constexpr int MaxColumns = 4;
    // A column's text and its snippet.
    using Column = QPair<QString, QString>;

    // Reads the whole file; a missing key takes its default, and so does everything when the file
    // cannot be read (status() tells which). Pending events run every few ms meanwhile.
    explicit QTemplate(const QString& path, const TemplateDefaults& defaults = TemplateDefaults(),
                       QObject* parent = nullptr);
    // How a window reads a file into its editors: the column texts are decoded straight into the
    // editors' bytes (UTF-8, or Latin-1 when unicode is false) for takeColumnBytes(), and no string of
    // them is made or held. A stop asked for through the events ends the read (wasStopped()).
    struct EditorTexts
    {
        bool unicode = true;
        std::function<bool()> stopRequested;
    };
    QTemplate(const QString& path, const TemplateDefaults& defaults, const EditorTexts& editorTexts,
              QObject* parent = nullptr);
    ~QTemplate() override;

    QString path() const { return m_path; }

    // Setters compare with the held value and mark only a change for writing; sync() writes it out.
    bool isMultiLine() const { return m_multiLine; }
    void setMultiLine(bool multiLine);
    QString templateText() const { return m_template; }
    void setTemplate(const QString& text);
    // The count as the file gives it (it may exceed the columns read) or as last set.
    int metaCounts() const { return m_metaCounts; }
    void setMetaCounts(int count);
    // At most MaxColumns columns, in row order; the number of columns to show is this list's length.
    // Read for editors, the texts are empty: they are handed over by takeColumnBytes().
    QList<Column> columns() const { return m_columns; }
    // Read for editors: the column texts in the editors' bytes, in row order, handed over once. From
    // then on only a digest of each is held, enough to tell whether a save changes it.
    QList<QByteArray> takeColumnBytes();
    // Rewrites every column group, and the count, unless the list equals the held one. Columns past
    // MaxColumns are dropped: no reader would ever see them. Read for editors, the texts are held until
    // the next sync, then compared by their digests in the editors' bytes.
    void setColumns(const QList<Column>& columns);
    // Each column's escaping and formatting, in row order, as long as columns(); the default for a
    // column whose file says nothing (or something unknown). Stored only where it is not the default,
    // so a file without a format reads as before and older readers pass over the extra keys.
    QList<ValueFormat> columnFormats() const { return m_formats; }
    void setColumnFormats(const QList<ValueFormat>& formats);

    // Writes what changed since the last successful sync (everything when the file does not exist) and
    // returns whether the file now holds the held values. The new file is checked before it replaces the
    // old one, so a failed or short write leaves the old file as it was; the changes are kept for the next try.
    bool sync();
    // Whether some held value is not known to be in the file.
    bool hasUnsavedChanges() const;
    // Outcome of the construction's read, then of the last sync(): NoError, AccessError (the file could
    // not be read or written, or the read was stopped) or FormatError (a malformed file; what could be
    // parsed was read).
    QSettings::Status status() const { return m_status; }
    // Whether a stop asked for during the read ended it; nothing was read then.
    bool wasStopped() const { return m_stopped; }
    // Set by a read that refused the file, or by a sync that had to rewrite or drop what the file held
    // in a form that cannot be written back; empty otherwise. Meant for the user, once.
    QString notice() const { return m_notice; }
    // Whether some value of the INI text is in an encoded form ("@Variant(...)", "@ByteArray(...)" and
    // the like) rather than the plain text, numbers and flags a template file holds. Such values are
    // decoded through a data stream that trusts the counts it reads.
    static bool holdsEncodedValue(const QByteArray& iniText);

private:
    void read(const std::function<bool()>& stopRequested);
    // The values through value (as QSettings::value gives them) and, read for editors, the column texts
    // through contentBytes.
    void readValues(const std::function<QVariant(const QString&)>& value,
                    const std::function<QByteArray(int)>& contentBytes, EventPacer& pacer);
    bool holdsColumns(const QList<Column>& columns) const;
    void markAllUnsaved();
    // One format per held column: cut to their count, the default for those without one.
    QList<ValueFormat> fittedFormats(const QList<ValueFormat>& formats) const;
    void writeChanges(QSettings& settings) const;
    bool writeFile();

    // Typed reads of one value, with the default for a missing or unusable one.
    static bool readBool(const QVariant& value, bool defaultValue);
    static int readInt(const QVariant& value, int defaultValue);

    QString m_path;
    TemplateDefaults m_defaults;
    QSettings::Status m_status = QSettings::NoError;
    QString m_notice;

    bool m_multiLine = true;
    QString m_template;
    int m_metaCounts = 0;
    QList<Column> m_columns;
    QList<ValueFormat> m_formats;
    // Read for editors: the texts until taken, and the digest of each column's text in editor bytes.
    bool m_editorTexts = false;
    bool m_unicode = true;
    QList<QByteArray> m_columnBytes;
    QList<QByteArray> m_digests;
    // Read for editors: whether m_columns holds the texts, from a setColumns() to the next successful sync.
    bool m_textsHeld = false;
    bool m_stopped = false;

    // Set by a change, cleared only by a successful sync, so that a failed write is retried in full.
    bool m_multiLineUnsaved = false;
    bool m_templateUnsaved = false;
    bool m_metaCountsUnsaved = false;
    bool m_columnsUnsaved = false;
    bool m_formatsUnsaved = false;
};
