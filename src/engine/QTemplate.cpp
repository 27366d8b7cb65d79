#include "engine/QTemplate.h"

#include "editor/TextUtils.h"
#include "engine/EventPacer.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <limits>

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

// The value of an octal or hex digit, or -1.
int digitValue(char c, int base)
{
    const int value = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    return value < base ? value : -1;
}

// The elements of one INI value as the settings library unescapes them: spaces around an unquoted
// element dropped, quotes joined, escapes resolved (a hex or octal escape keeps its low 16 bits), an
// unquoted comma between elements.
QStringList valueElements(const QByteArray& data, int from, int to)
{
    QStringList elements;
    QString current;
    bool inQuotes = false;
    bool quoted = false;
    int keep = 0; // what an unquoted element's trailing spaces may not eat into
    int i = from;
    const auto isSpace = [&](int at) { return data.at(at) == ' ' || data.at(at) == '\t'; };
    const auto skipSpaces = [&] {
        while (i < to && isSpace(i))
            ++i;
        keep = current.size();
    };
    const auto chop = [&] {
        int n = current.size();
        while (!quoted && n > keep && (current.at(n - 1) == QLatin1Char(' ') || current.at(n - 1) == QLatin1Char('\t')))
            --n;
        current.truncate(n);
    };
    skipSpaces();
    while (i < to) {
        const char c = data.at(i);
        if (c == '\\') {
            if (++i >= to)
                break;
            const char e = data.at(i++);
            static const char Plain[] = "a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\";
            const char* hit = nullptr;
            for (const char* p = Plain; *p && !hit; p += 2)
                hit = *p == e ? p : nullptr;
            if (hit) {
                current += QLatin1Char(hit[1]);
            } else if (e == 'x' || (e >= '0' && e <= '7')) {
                const int base = e == 'x' ? 16 : 8;
                quint32 value = e == 'x' ? 0 : quint32(e - '0');
                bool any = e != 'x';
                for (int digit; i < to && (digit = digitValue(data.at(i), base)) >= 0; ++i) {
                    value = value * quint32(base) + quint32(digit);
                    any = true;
                }
                if (any)
                    current += QChar(ushort(value & 0xffff));
            } else if ((e == '\n' || e == '\r') && i < to && (data.at(i) == '\n' || data.at(i) == '\r') &&
                       data.at(i) != e) {
                ++i; // a continued line
            }
            keep = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipSpaces();
        } else if (c == ',' && !inQuotes) {
            chop();
            elements.append(current);
            current.clear();
            quoted = false;
            ++i;
            skipSpaces();
        } else {
            int j = i + 1;
            while (j < to && data.at(j) != '\\' && data.at(j) != '"' && data.at(j) != ',')
                ++j;
            current += QString::fromLatin1(data.constData() + i, j - i);
            i = j;
        }
    }
    chop();
    elements.append(current);
    return elements;
}

} // namespace

bool QTemplate::holdsEncodedValue(const QByteArray& iniText)
{
    const QByteArray data = iniText.startsWith(Utf8Mark) ? iniText.mid(Utf8Mark.size()) : iniText;
    const int size = data.size();
    int pos = 0;
    while (pos < size) {
        // One entry: it may run over several lines inside quotes or after a backslash; a ';' outside
        // quotes starts a comment that runs to the end of the line.
        while (pos < size &&
               (data.at(pos) == ' ' || data.at(pos) == '\t' || data.at(pos) == '\n' || data.at(pos) == '\r'))
            ++pos;
        const int start = pos;
        int equals = -1;
        bool inQuotes = false;
        bool comment = pos < size && data.at(pos) == ';';
        for (; pos < size; ++pos) {
            const char c = data.at(pos);
            if ((c == '\n' || c == '\r') && (!inQuotes || comment))
                break;
            if (comment)
                continue;
            if (c == '\\') {
                ++pos;
                if (pos + 1 < size && ((data.at(pos) == '\n' && data.at(pos + 1) == '\r') ||
                                       (data.at(pos) == '\r' && data.at(pos + 1) == '\n')))
                    ++pos;
            } else if (c == '"') {
                inQuotes = !inQuotes;
            } else if (c == '=' && !inQuotes && equals < 0) {
                equals = pos;
            } else if (c == ';' && !inQuotes) {
                break; // the comment is skipped as an entry of its own
            }
        }
        const int end = qMin(pos, size);
        if (comment || equals < 0 || data.at(start) == '[')
            continue;
        const QStringList elements = valueElements(data, equals + 1, end);
        for (const QString& element : elements) {
            // The library writes a string holding a NUL as @String(...) itself and reads it back
            // without a data stream, so that form is text like any other.
            if (element.size() > 1 && element.at(0) == QLatin1Char('@') && element.at(1) != QLatin1Char('@') &&
                element.endsWith(QLatin1Char(')')) && !element.startsWith(QLatin1String("@String(")))
                return true;
        }
    }
    return false;
}

QTemplate::QTemplate(const QString& path, const TemplateDefaults& defaults, QObject* parent)
    : QObject(parent), m_path(path), m_defaults(defaults)
{
    read();
}

QTemplate::~QTemplate() = default;

void QTemplate::read()
{
    // Parsed through a copy of its own: settings objects on one path share what an earlier one parsed, and
    // take it for current when the file's size and time stamp look unchanged.
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("read.s"));
    const QFileInfo source(m_path);
    QByteArray bytes;
    const bool unreadable = source.exists() && (!source.isFile() || !scratch.isValid() || !readWhole(m_path, &bytes) ||
                                                !writeWhole(copy, bytes));
    // An encoded value would be decoded through a data stream that trusts its counts; a file holding one
    // was not written by this program, so it is refused before the settings library parses it.
    if (!unreadable && holdsEncodedValue(bytes)) {
        m_status = QSettings::AccessError;
        m_notice = tr("%1 is not a template file.").arg(m_path);
        m_metaCounts = m_defaults.startColumns;
        markAllUnsaved();
        return;
    }
    const QSettings settings(copy, QSettings::IniFormat);
    m_multiLine = readBool(settings, MultiLineKey, true);
    m_template = readString(settings, TemplateKey, QString());
    m_metaCounts = readInt(settings, MetaCountsKey, m_defaults.startColumns);

    // The count comes from the file and may be anything; the row shows no more than MaxColumns.
    const int toRead = qBound(0, m_metaCounts, MaxColumns);
    const QString& prefix = m_defaults.prefix;
    const QString& suffix = m_defaults.suffix;
    EventPacer pacer;
    for (int n = 0; n < toRead; ++n) {
        pacer.poll();
        const QString content = readString(settings, contentKey(n), QString());
        // One pass, so that a '%' in the prefix is not taken for a place holder.
        const QString snippet =
            readString(settings, snippetKey(n), QStringLiteral("%1%2%3").arg(prefix, QString::number(n + 1), suffix));
        m_columns.append(Column(content, snippet));
        ValueFormat format;
        format.escape = escapeFromKey(readString(settings, escapeKeyOf(n), QString()));
        formatFromKey(readString(settings, formatKeyOf(n), QString()), &format);
        m_formats.append(format);
    }

    m_status = unreadable ? QSettings::AccessError : settings.status();
    // Nothing is known about a file that could not be read, so a save must write the whole state.
    if (m_status == QSettings::AccessError)
        markAllUnsaved();
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

void QTemplate::setColumns(const QList<Column>& columns)
{
    const QList<Column> kept = columns.mid(0, MaxColumns);
    if (kept == m_columns)
        return;
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
    if (!hasUnsavedChanges()) {
        m_status = QSettings::NoError;
        return true;
    }
    if (!writeFile()) {
        m_status = QSettings::AccessError;
        return false;
    }
    m_status = QSettings::NoError;
    m_multiLineUnsaved = m_templateUnsaved = m_metaCountsUnsaved = m_columnsUnsaved = m_formatsUnsaved = false;
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

bool QTemplate::readBool(const QSettings& settings, const QString& key, bool defaultValue)
{
    const QVariant value = settings.value(key);
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

QString QTemplate::readString(const QSettings& settings, const QString& key, const QString& defaultValue)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, as a hand-edited file may hold, is read by the settings as a list.
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

int QTemplate::readInt(const QSettings& settings, const QString& key, int defaultValue)
{
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        return defaultValue;
    return static_cast<int>(
        qBound<qlonglong>(std::numeric_limits<int>::min(), number, std::numeric_limits<int>::max()));
}
