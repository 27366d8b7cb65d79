#include "engine/QTemplate.h"

#include "editor/TextBytes.h"
#include "editor/TextUtils.h"
#include "engine/EventPacer.h"
#include "engine/IniReader.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <cstring>
#include <limits>
#include <utility>

namespace {

const QString MultiLineKey = QStringLiteral("global/multiline");
const QString TemplateKey = QStringLiteral("global/template");
const QString MetaCountsKey = QStringLiteral("global/metacounts");
const QByteArray Utf8Mark = QByteArrayLiteral("\xef\xbb\xbf");

QString contentKey(int n)
{
    return QStringLiteral("column%1/content").arg(n);
}
QString snippetKey(int n)
{
    return QStringLiteral("column%1/snippet").arg(n);
}

QString escapeKeyOf(int n)
{
    return QStringLiteral("column%1/escape").arg(n);
}

QString formatKeyOf(int n)
{
    return QStringLiteral("column%1/format").arg(n);
}

// A value as the INI text gives it back, so that what was set (a bool, an int) compares with what is read
// (its text); a list keeps its items apart.
QString comparable(const QVariant& value)
{
    if (value.type() == QVariant::StringList)
        return QStringLiteral("list:") + value.toStringList().join(QChar(0x1f));
    return QStringLiteral("text:") + value.toString();
}

QMap<QString, QString> contents(const QSettings& settings)
{
    QMap<QString, QString> map;
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys)
        map.insert(key, comparable(settings.value(key)));
    return map;
}

// The keys a save writes: the global values and the column groups.
bool isOwnKey(const QString& key)
{
    static const QRegularExpression own(
        QStringLiteral("^(global/(multiline|template|metacounts)|column[0-9]+/(content|snippet|escape|format))$"));
    return own.match(key).hasMatch();
}

bool readWhole(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// 128 bits of hash of bytes in one pass: eight bytes at a time into four lanes, which are then folded
// in two different ways.
QByteArray digestOf(const QByteArray& bytes)
{
    constexpr quint64 P1 = 11400714785074694791ULL;
    constexpr quint64 P2 = 14029467366897019727ULL;
    constexpr quint64 P3 = 1609587929392839161ULL;
    constexpr quint64 P4 = 9650029242287828579ULL;
    constexpr quint64 P5 = 2870177450012600261ULL;
    const auto rotate = [](quint64 x, int r) { return (x << r) | (x >> (64 - r)); };
    const auto word = [](const char* p) {
        quint64 w;
        std::memcpy(&w, p, sizeof w);
        return w;
    };
    const auto round = [&](quint64 acc, quint64 input) { return rotate(acc + input * P2, 31) * P1; };
    const auto avalanche = [](quint64 h) {
        h ^= h >> 33;
        h *= P2;
        h ^= h >> 29;
        h *= P3;
        h ^= h >> 32;
        return h;
    };
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    quint64 v[4] = {P1 + P2, P2, 0, quint64(0) - P1};
    for (; end - p >= 32; p += 32) {
        for (int k = 0; k < 4; ++k)
            v[k] = round(v[k], word(p + 8 * k));
    }
    quint64 h = rotate(v[0], 1) + rotate(v[1], 7) + rotate(v[2], 12) + rotate(v[3], 18) + quint64(bytes.size());
    quint64 g = rotate(v[3], 5) ^ rotate(v[2], 17) ^ rotate(v[1], 29) ^ rotate(v[0], 41) ^ (quint64(bytes.size()) * P5);
    for (const quint64 lane : v) {
        h = (h ^ round(0, lane)) * P1 + P4;
        g = (g + round(P3, lane)) * P2 + P5;
    }
    for (; end - p >= 8; p += 8) {
        h = rotate(h ^ round(0, word(p)), 27) * P1 + P4;
        g = rotate(g + round(P5, word(p)), 23) * P2 + P3;
    }
    for (; p < end; ++p) {
        h = rotate(h ^ (uchar(*p) * P5), 11) * P1;
        g = rotate(g + (uchar(*p) * P1), 13) * P2;
    }
    const quint64 parts[2] = {avalanche(h), avalanche(g)};
    return QByteArray(reinterpret_cast<const char*>(parts), sizeof parts);
}

} // namespace

bool QTemplate::holdsEncodedValue(const QByteArray& iniText)
{
    IniReader reader;
    reader.read(iniText);
    return reader.holdsEncodedValue();
}

QTemplate::QTemplate(const QString& path, const TemplateDefaults& defaults, QObject* parent)
    : QObject(parent), m_path(path), m_defaults(defaults)
{
    read({});
}

QTemplate::QTemplate(const QString& path, const TemplateDefaults& defaults, const EditorTexts& editorTexts,
                     QObject* parent)
    : QObject(parent), m_path(path), m_defaults(defaults), m_editorTexts(true), m_unicode(editorTexts.unicode)
{
    read(editorTexts.stopRequested);
}

QTemplate::~QTemplate() = default;

void QTemplate::read(const std::function<bool()>& stopRequested)
{
    const QFileInfo source(m_path);
    QByteArray bytes;
    const bool unreadable = source.exists() && (!source.isFile() || !readWhole(m_path, &bytes));
    EventPacer pacer(stopRequested);
    QStringList bytesKeys;
    for (int n = 0; m_editorTexts && n < MaxColumns; ++n)
        bytesKeys.append(contentKey(n));
    IniReader reader(bytesKeys, m_unicode, [&pacer] { return pacer.pollStop(); });
    const IniReader::Outcome outcome = reader.read(bytes);
    if (outcome == IniReader::Outcome::Stopped) {
        m_stopped = true;
        m_status = QSettings::AccessError;
        m_metaCounts = m_defaults.startColumns;
        markAllUnsaved();
        return;
    }
    // An encoded value would be decoded through a data stream that trusts its counts; a file holding one
    // was not written by this program, so it is refused before the settings library parses it.
    if (reader.holdsEncodedValue()) {
        m_status = QSettings::AccessError;
        m_notice = tr("%1 is not a template file.").arg(m_path);
        m_metaCounts = m_defaults.startColumns;
        markAllUnsaved();
        return;
    }
    if (outcome == IniReader::Outcome::Read) {
        readValues([&](const QString& key) { return reader.value(key); },
                   [&](int n) { return reader.takeBytes(contentKey(n)); }, pacer);
        m_status = unreadable ? QSettings::AccessError : QSettings::NoError;
    } else {
        // Parsed through a copy of its own: settings objects on one path share what an earlier one parsed,
        // and take it for current when the file's size and time stamp look unchanged.
        QTemporaryDir scratch;
        const QString copy = scratch.filePath(QStringLiteral("read.s"));
        const bool copied = scratch.isValid() && writeWhole(copy, bytes);
        bytes.clear();
        const QSettings settings(copy, QSettings::IniFormat);
        readValues(
            [&](const QString& key) { return settings.value(key); },
            [&](int n) { return encodeEditorText(IniReader::valueText(settings.value(contentKey(n))), m_unicode); },
            pacer);
        m_status = copied ? settings.status() : QSettings::AccessError;
    }
    // Nothing is known about a file that could not be read, so a save must write the whole state.
    if (m_status == QSettings::AccessError)
        markAllUnsaved();
}

void QTemplate::readValues(const std::function<QVariant(const QString&)>& value,
                           const std::function<QByteArray(int)>& contentBytes, EventPacer& pacer)
{
    m_multiLine = readBool(value(MultiLineKey), true);
    m_template = IniReader::valueText(value(TemplateKey));
    m_metaCounts = readInt(value(MetaCountsKey), m_defaults.startColumns);

    // The count comes from the file and may be anything; the row shows no more than MaxColumns.
    const int toRead = qBound(0, m_metaCounts, MaxColumns);
    const QString& prefix = m_defaults.prefix;
    const QString& suffix = m_defaults.suffix;
    for (int n = 0; n < toRead; ++n) {
        pacer.poll();
        // One pass, so that a '%' in the prefix is not taken for a place holder.
        const QString snippet = IniReader::valueText(
            value(snippetKey(n)), QStringLiteral("%1%2%3").arg(prefix, QString::number(n + 1), suffix));
        if (m_editorTexts) {
            const QByteArray bytes = contentBytes(n);
            m_digests.append(digestOf(bytes));
            m_columnBytes.append(bytes);
            m_columns.append(Column(QString(), snippet));
        } else {
            m_columns.append(Column(IniReader::valueText(value(contentKey(n))), snippet));
        }
        ValueFormat format;
        format.escape = escapeFromKey(IniReader::valueText(value(escapeKeyOf(n))));
        formatFromKey(IniReader::valueText(value(formatKeyOf(n))), &format);
        m_formats.append(format);
    }
}

QList<QByteArray> QTemplate::takeColumnBytes()
{
    return std::exchange(m_columnBytes, {});
}

void QTemplate::setMultiLine(bool multiLine)
{
    if (multiLine == m_multiLine)
        return;
    m_multiLine = multiLine;
    m_multiLineUnsaved = true;
}

void QTemplate::setTemplate(const QString& text)
{
    if (text == m_template)
        return;
    m_template = text;
    m_templateUnsaved = true;
}

void QTemplate::setMetaCounts(int count)
{
    if (count == m_metaCounts)
        return;
    m_metaCounts = count;
    m_metaCountsUnsaved = true;
}

bool QTemplate::holdsColumns(const QList<Column>& columns) const
{
    if (!m_editorTexts)
        return columns == m_columns;
    if (columns.size() != m_columns.size())
        return false;
    for (int n = 0; n < columns.size(); ++n) {
        if (columns.at(n).second != m_columns.at(n).second ||
            digestOf(encodeEditorText(columns.at(n).first, m_unicode)) != m_digests.value(n))
            return false;
    }
    return true;
}

void QTemplate::setColumns(const QList<Column>& columns)
{
    const QList<Column> kept = columns.mid(0, MaxColumns);
    const bool held = holdsColumns(kept);
    if (m_editorTexts) {
        // Kept until the next sync, which may have to write them whether they changed or not.
        m_columns = kept;
        m_textsHeld = true;
    }
    if (held)
        return;
    if (m_editorTexts) {
        m_digests.clear();
        for (const Column& column : kept)
            m_digests.append(digestOf(encodeEditorText(column.first, m_unicode)));
    }
    m_columns = kept;
    m_columnsUnsaved = true;
    setMetaCounts(m_columns.size());
    // The formats follow the columns' count: a new column has none.
    m_formats = fittedFormats(m_formats);
}

QList<ValueFormat> QTemplate::fittedFormats(const QList<ValueFormat>& formats) const
{
    QList<ValueFormat> fitted = formats.mid(0, m_columns.size());
    while (fitted.size() < m_columns.size())
        fitted.append(ValueFormat());
    return fitted;
}

void QTemplate::setColumnFormats(const QList<ValueFormat>& formats)
{
    const QList<ValueFormat> kept = fittedFormats(formats);
    if (kept == m_formats)
        return;
    m_formats = kept;
    m_formatsUnsaved = true;
}

bool QTemplate::hasUnsavedChanges() const
{
    return m_multiLineUnsaved || m_templateUnsaved || m_metaCountsUnsaved || m_columnsUnsaved || m_formatsUnsaved;
}

void QTemplate::markAllUnsaved()
{
    m_multiLineUnsaved = m_templateUnsaved = m_metaCountsUnsaved = m_columnsUnsaved = m_formatsUnsaved = true;
}

bool QTemplate::sync()
{
    m_notice.clear();
    // A file that is missing, or was deleted since, gets the whole state, so that it exists afterwards.
    if (!QFileInfo(m_path).isFile())
        markAllUnsaved();
    if (hasUnsavedChanges()) {
        // Texts given away when the file was read cannot be written back.
        if ((m_columnsUnsaved && m_editorTexts && !m_textsHeld) || !writeFile()) {
            m_status = QSettings::AccessError;
            return false;
        }
        m_multiLineUnsaved = m_templateUnsaved = m_metaCountsUnsaved = m_columnsUnsaved = m_formatsUnsaved = false;
    }
    m_status = QSettings::NoError;
    // Once in the file, the texts are compared by their digests only.
    if (m_editorTexts) {
        for (Column& column : m_columns)
            column.first.clear();
        m_textsHeld = false;
    }
    return true;
}

void QTemplate::writeChanges(QSettings& settings) const
{
    if (m_multiLineUnsaved)
        settings.setValue(MultiLineKey, m_multiLine);
    if (m_templateUnsaved)
        settings.setValue(TemplateKey, m_template);
    if (m_columnsUnsaved) {
        for (int n = 0; n < m_columns.size(); ++n) {
            settings.setValue(contentKey(n), m_columns.at(n).first);
            settings.setValue(snippetKey(n), m_columns.at(n).second);
        }
    }
    if (m_columnsUnsaved || m_formatsUnsaved) {
        // A default format is no key at all, so a file that never used one keeps its old form.
        for (int n = 0; n < m_formats.size(); ++n) {
            const QString escape = escapeKey(m_formats.at(n).escape);
            const QString format = formatKey(m_formats.at(n));
            if (escape.isEmpty())
                settings.remove(escapeKeyOf(n));
            else
                settings.setValue(escapeKeyOf(n), escape);
            if (format.isEmpty())
                settings.remove(formatKeyOf(n));
            else
                settings.setValue(formatKeyOf(n), format);
        }
    }
    // The count bounds the groups just written, so it goes with them even when it did not change: a file
    // without it would be read with the start-columns preference of the day.
    if (m_metaCountsUnsaved || m_columnsUnsaved)
        settings.setValue(MetaCountsKey, m_metaCounts);
}

bool QTemplate::writeFile()
{
    // The settings library reports success for a short write (a full disk, a size limit) and then has
    // already replaced the file with the truncated one. So the changes go into a draft first, which is
    // parsed again and compared with what was meant before it replaces the file.
    const QFileInfo target(m_path);
    if (target.isDir())
        return false;
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    // Keys the program does not know are kept: the draft starts with every entry of the file that can
    // be written back as it reads. A special file (a FIFO, a device) is not read back: it gets the whole
    // state, as sync() marks it.
    QByteArray old;
    if (target.isFile() && !readWhole(m_path, &old))
        return false;
    if (holdsEncodedValue(old)) {
        m_notice = tr("%1 is not a template file.").arg(m_path);
        return false;
    }
    int dropped = 0;
    bool malformed = false;
    // Entries of others that do not read back as written (a group name the library cannot spell
    // again, say) are left out on a second try; an entry of ours that does not is a failed save.
    QSet<QString> leftOut;
    QString check;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString draft = scratch.filePath(QStringLiteral("draft%1.s").arg(attempt));
        QMap<QString, QString> intended;
        dropped = 0;
        {
            QSettings settings(draft, QSettings::IniFormat);
            if (!old.isEmpty()) {
                // The entries are copied one by one rather than as bytes: a UTF-8 mark makes the library
                // read the file as UTF-8 but write it without the mark, to be read as Latin-1; a key with
                // an empty part (no name, a trailing '/') reads as no value and cannot be written at all.
                const QString original = scratch.filePath(QStringLiteral("original.s"));
                if (!writeWhole(original, old))
                    return false;
                const QSettings parsed(original, QSettings::IniFormat);
                malformed = parsed.status() == QSettings::FormatError;
                const QStringList keys = parsed.allKeys();
                for (const QString& key : keys) {
                    const QVariant value = parsed.value(key);
                    if (!value.isValid())
                        ++dropped;
                    else if (!leftOut.contains(key))
                        settings.setValue(key, value);
                }
            }
            writeChanges(settings);
            settings.sync();
            if (settings.status() == QSettings::AccessError)
                return false;
            intended = contents(settings);
        }
        // Parsed under another name: settings objects on one path share what was parsed or written before.
        check = scratch.filePath(QStringLiteral("check%1.s").arg(attempt));
        if (!QFile::rename(draft, check))
            return false;
        const QSettings settings(check, QSettings::IniFormat);
        if (settings.status() != QSettings::NoError)
            return false;
        const QMap<QString, QString> back = contents(settings);
        if (back == intended)
            break;
        if (attempt > 0)
            return false;
        for (auto it = intended.cbegin(); it != intended.cend(); ++it) {
            if (back.value(it.key(), QStringLiteral("\x01")) == it.value())
                continue;
            if (isOwnKey(it.key()))
                return false;
            leftOut.insert(it.key());
        }
    }
    dropped += leftOut.size();

    QFile in(check);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (bytes.size() != in.size())
        return false;

    if (!writeFileBytes(m_path, bytes))
        return false;
    // A short write that the system did not report shows in the size of a regular file.
    const QFileInfo written(m_path);
    if (written.isFile() && written.size() != bytes.size())
        return false;

    QStringList changes;
    if (old.startsWith(Utf8Mark))
        changes.append(tr("the UTF-8 mark was dropped, other characters are now written as escapes"));
    if (dropped > 0)
        changes.append(tr("%n entry(s) that could not be written back as they read were dropped", nullptr, dropped));
    if (malformed)
        changes.append(tr("lines that were not entries were dropped"));
    if (!changes.isEmpty())
        m_notice = tr("%1 was rewritten: %2.").arg(m_path, changes.join(QStringLiteral("; ")));
    return true;
}

bool QTemplate::readBool(const QVariant& value, bool defaultValue)
{
    if (!value.isValid())
        return defaultValue;
    if (value.type() == QVariant::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return defaultValue;
}

int QTemplate::readInt(const QVariant& value, int defaultValue)
{
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        return defaultValue;
    return static_cast<int>(
        qBound<qlonglong>(std::numeric_limits<int>::min(), number, std::numeric_limits<int>::max()));
}
