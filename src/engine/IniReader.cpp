#include "engine/IniReader.h"

#include "editor/TextBytes.h"

#include <climits>
#include <cstring>
#include <utility>

namespace {

// Bytes between two calls of the stop predicate: a few hundred microseconds of reading.
constexpr int PollStep = 1 << 16;

const QByteArray Utf8Mark = QByteArrayLiteral("\xef\xbb\xbf");

// The library's classes of bytes on a line: spaces between lines, and the bytes that end a run of
// plain ones.
bool isLineSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

struct SpecialBytes
{
    bool table[256] = {};
    SpecialBytes()
    {
        for (const char c : {'\n', '\r', '"', ';', '=', '\\'})
            table[uchar(c)] = true;
    }
};
const SpecialBytes Special;

// The value of an octal or hex digit, or -1.
int digitValue(char c, int base)
{
    const int value = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    return value < base ? value : -1;
}

// The character of a one-letter escape, or 0.
char plainEscape(char e)
{
    switch (e) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return e;
    default:
        return 0;
    }
}

// A section name the reader takes itself: one that the library reads as it stands, which sorts
// among the others as the keys looked up in it expect, and which is not the library's own "general".
bool isPlainName(const QByteArray& name)
{
    if (name.isEmpty() || name.compare("general", Qt::CaseInsensitive) == 0)
        return false;
    for (const char c : name) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
              c == '.'))
            return false;
    }
    return true;
}

// Whether an element as the library reads it is in an encoded form: "@" then anything but "@", up to a
// closing parenthesis. The library writes a string holding a NUL as "@String(...)" and reads it back
// without a data stream, so that form is text like any other.
bool isEncodedElement(int size, const char16_t* head, bool endsWithParenthesis)
{
    static const char16_t StringForm[] = u"@String(";
    return size > 1 && head[0] == u'@' && head[1] != u'@' && endsWithParenthesis &&
           !(size >= 8 && std::memcmp(head, StringForm, 8 * sizeof(char16_t)) == 0);
}

// The elements of a value as strings, exactly as the library builds them.
class StringSink
{
public:
    int size() const { return m_current.size(); }
    void raw(const char* bytes, int length) { m_current.append(QLatin1String(bytes, length)); }
    void unit(char16_t unit) { m_current.append(QChar(unit)); }
    void chop(int limit)
    {
        int n = m_current.size();
        while (n > limit && (m_current.at(n - 1) == QLatin1Char(' ') || m_current.at(n - 1) == QLatin1Char('\t')))
            --n;
        m_current.truncate(n);
    }
    void endElement()
    {
        m_list.append(m_current);
        m_current.clear();
        m_isList = true;
    }
    void finish()
    {
        if (m_isList)
            m_list.append(m_current);
    }
    // The value as the library gives it for these elements.
    QVariant variant() const;

private:
    static QVariant elementVariant(const QString& element);
    QString m_current;
    QStringList m_list;
    bool m_isList = false;
};

// Of the encoded forms only those that a file which is not refused can hold are decoded here: the
// others are found by holdsEncodedValue() first.
QVariant StringSink::elementVariant(const QString& element)
{
    if (element.startsWith(QLatin1Char('@'))) {
        if (element.endsWith(QLatin1Char(')'))) {
            if (element.startsWith(QLatin1String("@String(")))
                return element.mid(8, element.size() - 9);
            if (element.startsWith(QLatin1String("@ByteArray(")))
                return element.midRef(11, element.size() - 12).toLatin1();
            if (element == QLatin1String("@Invalid()"))
                return QVariant();
        }
        if (element.startsWith(QLatin1String("@@")))
            return element.mid(1);
    }
    return element;
}

QVariant StringSink::variant() const
{
    if (!m_isList)
        return elementVariant(m_current);
    // A list stays one of strings unless an element starts with a single "@".
    QStringList strings = m_list;
    for (QString& element : strings) {
        if (!element.startsWith(QLatin1Char('@')))
            continue;
        if (element.size() >= 2 && element.at(1) == QLatin1Char('@')) {
            element.remove(0, 1);
            continue;
        }
        QVariantList variants;
        for (const QString& original : m_list)
            variants.append(elementVariant(original));
        return variants;
    }
    return strings;
}

// A value's text in editor bytes, written as it is decoded, and what tells an encoded element, noted
// without a string. Exact unless the value needs what only the string can tell (a list, an element
// starting with "@", a surrogate without its other half): the caller then goes the string way.
class ByteSink
{
public:
    // Without out only what tells an encoded element is noted.
    ByteSink(QByteArray* out, bool unicode, int expected) : m_out(out), m_unicode(unicode)
    {
        if (m_out) {
            m_out->resize(qMax(expected, 16));
            m_at = m_out->data();
            m_end = m_at + m_out->size();
        }
    }
    int size() const { return m_units; }
    void raw(const char* bytes, int length);
    void unit(char16_t unit);
    void chop(int limit);
    void endElement()
    {
        noteElement();
        m_exact = false;
        m_units = 0;
        m_lastSolid = -1;
    }
    void finish()
    {
        noteElement();
        if (m_pendingHigh || (m_units > 0 && m_head[0] == u'@'))
            m_exact = false;
        if (m_out)
            m_out->resize(int(m_at - m_out->data()));
    }
    bool exact() const { return m_exact; }
    bool encoded() const { return m_encoded; }

private:
    void reserve(int bytes)
    {
        if (m_end - m_at >= bytes)
            return;
        const int used = int(m_at - m_out->data());
        m_out->resize(qMax(m_out->size() * 2, used + bytes + 16));
        m_at = m_out->data() + used;
        m_end = m_out->data() + m_out->size();
    }
    void noteElement()
    {
        m_encoded =
            m_encoded || isEncodedElement(m_units, m_head, m_lastSolid == m_units - 1 && m_lastSolidUnit == u')');
    }
    void noteUnit(char16_t unit)
    {
        if (m_units < 8)
            m_head[m_units] = unit;
        if (unit != u' ' && unit != u'\t') {
            m_lastSolid = m_units;
            m_lastSolidUnit = unit;
        }
        ++m_units;
    }

    QByteArray* m_out;
    bool m_unicode;
    char* m_at = nullptr;
    char* m_end = nullptr;
    char16_t m_pendingHigh = 0;
    bool m_exact = true;
    bool m_encoded = false;
    // The element so far: its length in UTF-16 units, its first units and its last unit that is no space.
    int m_units = 0;
    char16_t m_head[8] = {};
    int m_lastSolid = -1;
    char16_t m_lastSolidUnit = 0;
};

void ByteSink::raw(const char* bytes, int length)
{
    for (int k = 0; k < length && m_units + k < 8; ++k)
        m_head[m_units + k] = uchar(bytes[k]);
    for (int k = length - 1; k >= 0; --k) {
        if (bytes[k] != ' ' && bytes[k] != '\t') {
            m_lastSolid = m_units + k;
            m_lastSolidUnit = uchar(bytes[k]);
            break;
        }
    }
    m_units += length;
    if (m_pendingHigh) {
        m_exact = false;
        m_pendingHigh = 0;
    }
    if (!m_out)
        return;
    // Runs between escapes are short: a byte loop beats a scan and a copy there.
    if (!m_unicode || (length > 64 && isAscii(bytes, length))) {
        reserve(length);
        std::memcpy(m_at, bytes, size_t(length));
        m_at += length;
        return;
    }
    // Latin-1 bytes into UTF-8.
    reserve(2 * length);
    m_at = writeLatin1AsUtf8(bytes, length, m_at);
}

void ByteSink::unit(char16_t unit)
{
    noteUnit(unit);
    if (!m_out)
        return;
    reserve(4);
    if (unit < 0x80 && !m_pendingHigh) { // a line break, mostly
        *m_at++ = char(unit);
        return;
    }
    if (m_pendingHigh) {
        const char16_t high = m_pendingHigh;
        m_pendingHigh = 0;
        if (QChar::isLowSurrogate(unit)) {
            if (!m_unicode) {
                *m_at++ = '?';
                return;
            }
            const uint code = QChar::surrogateToUcs4(high, unit);
            *m_at++ = char(0xf0 | (code >> 18));
            *m_at++ = char(0x80 | ((code >> 12) & 0x3f));
            *m_at++ = char(0x80 | ((code >> 6) & 0x3f));
            *m_at++ = char(0x80 | (code & 0x3f));
            return;
        }
        m_exact = false;
    }
    if (QChar::isHighSurrogate(unit)) {
        m_pendingHigh = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        m_exact = false;
        return;
    }
    if (!m_unicode) {
        *m_at++ = unit < 0x100 ? char(unit) : '?';
    } else if (unit < 0x80) {
        *m_at++ = char(unit);
    } else if (unit < 0x800) {
        *m_at++ = char(0xc0 | (unit >> 6));
        *m_at++ = char(0x80 | (unit & 0x3f));
    } else {
        *m_at++ = char(0xe0 | (unit >> 12));
        *m_at++ = char(0x80 | ((unit >> 6) & 0x3f));
        *m_at++ = char(0x80 | (unit & 0x3f));
    }
}

void ByteSink::chop(int limit)
{
    // Only spaces and tabs after the last other unit go, one byte each in either encoding.
    const int kept = qMax(limit, m_lastSolid + 1);
    if (kept >= m_units)
        return;
    if (m_out && !m_pendingHigh)
        m_at -= m_units - kept;
    m_units = kept;
}

// The pacing of a read that has none.
struct NoPacing
{
    int next = INT_MAX;
    bool due(int) { return false; }
};

// The bytes that end a run of plain ones in a value, and those that also end it when the value runs to
// the end of its line: a line break or a comment.
struct RunEnds
{
    bool value[256] = {};
    bool line[256] = {};
    RunEnds()
    {
        for (const char c : {'\\', '"', ','})
            value[uchar(c)] = line[uchar(c)] = true;
        for (const char c : {'\n', '\r', ';'})
            line[uchar(c)] = true;
    }
};
const RunEnds RunEnd;

// Decodes the value in s[from, to) into sink as the library unescapes it: spaces around an unquoted
// element dropped, quotes joined, escapes resolved (a hex or octal escape keeps its low 16 bits), an
// unquoted comma between elements. With toLineEnd the value ends where the library's line reader ends
// its line, at a line break or a ';' outside quotes; to is then the end of the text. Returns where the
// value ended, or -1 when pacing asked to stop.
template <typename Sink, typename Pacing>
int decodeValue(const char* s, int from, int to, bool toLineEnd, Sink& sink, Pacing& pacing)
{
    const bool* runEnd = toLineEnd ? RunEnd.line : RunEnd.value;
    int i = from;
    bool inQuotes = false;
    bool quoted = false;
    int chopLimit = 0; // what an unquoted element's trailing spaces may not eat into
    const auto skipSpaces = [&] {
        while (i < to && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        chopLimit = sink.size();
    };
    skipSpaces();
    while (i < to) {
        if (i >= pacing.next && pacing.due(i))
            return -1;
        const char c = s[i];
        if (c == '\\') {
            if (++i >= to) {
                sink.finish(); // a value ending in an escape keeps its trailing spaces
                return i;
            }
            const char e = s[i++];
            if (const char plain = plainEscape(e)) {
                sink.unit(char16_t(uchar(plain)));
            } else if ((e == 'x' && i < to && digitValue(s[i], 16) >= 0) || (e >= '0' && e <= '7')) {
                const int base = e == 'x' ? 16 : 8;
                quint32 value = e == 'x' ? 0 : quint32(e - '0');
                for (int digit; i < to && (digit = digitValue(s[i], base)) >= 0; ++i)
                    value = value * quint32(base) + quint32(digit);
                sink.unit(char16_t(value & 0xffff));
                if (i >= to) {
                    sink.finish();
                    return i;
                }
            } else if (e == 'x' && i >= to) {
                sink.finish();
                return i;
            } else if ((e == '\n' || e == '\r') && i < to && (s[i] == '\n' || s[i] == '\r') && s[i] != e) {
                ++i; // a continued line
            }
            chopLimit = sink.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipSpaces();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                sink.chop(chopLimit);
            sink.endElement();
            quoted = false;
            ++i;
            skipSpaces();
        } else if (toLineEnd && !inQuotes && (c == '\n' || c == '\r' || c == ';')) {
            break;
        } else {
            // A run of plain bytes, in pieces so that the pacing is asked between them.
            const int end = qMin(to, i + PollStep);
            int j = i + 1;
            while (j < end && !runEnd[uchar(s[j])])
                ++j;
            sink.raw(s + i, j - i);
            i = j;
        }
    }
    if (!quoted)
        sink.chop(chopLimit);
    sink.finish();
    return i;
}

} // namespace

bool IniReader::Pacing::due(int position)
{
    next = position + PollStep;
    stopped = stopped || (pollStop && pollStop());
    return stopped;
}

IniReader::IniReader(const QStringList& bytesKeys, bool unicode, std::function<bool()> pollStop)
    : m_bytesKeys(bytesKeys), m_unicode(unicode)
{
    m_pacing.pollStop = std::move(pollStop);
}

// The library's own line reader, to the byte: a line runs on inside quotes and after a backslash; a ';'
// at its start makes a comment that runs to the end of the line, one after it ends the line. Stops at
// the line's end or at its first '=' outside quotes, where its value starts: equals is then set.
void IniReader::scanLine(int& pos, int& lineStart, int& equals)
{
    const char* d = m_data.constData();
    const int n = m_data.size();
    bool inQuotes = false;
    equals = -1;
    lineStart = pos;
    while (lineStart < n && isLineSpace(d[lineStart]))
        ++lineStart;
    int i = lineStart;
    while (i < n) {
        if (i >= m_pacing.next && m_pacing.due(i))
            break;
        char ch = d[i];
        while (!Special.table[uchar(ch)]) {
            if (++i == n)
                goto lineEnd;
            ch = d[i];
        }
        ++i;
        if (ch == '=') {
            if (!inQuotes) {
                equals = i - 1;
                goto lineEnd;
            }
        } else if (ch == '\n' || ch == '\r') {
            if (i == lineStart + 1) {
                ++lineStart;
            } else if (!inQuotes) {
                --i;
                goto lineEnd;
            }
        } else if (ch == '\\') {
            if (i < n) {
                const char next = d[i++];
                if (i < n && ((next == '\n' && d[i] == '\r') || (next == '\r' && d[i] == '\n')))
                    ++i;
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else { // ';'
            if (i == lineStart + 1) {
                while (i < n && d[i] != '\n' && d[i] != '\r')
                    ++i;
                while (i < n && isLineSpace(d[i]))
                    ++i;
                lineStart = i;
            } else if (!inQuotes) {
                --i;
                goto lineEnd;
            }
        }
    }
lineEnd:
    pos = i;
}

IniReader::Outcome IniReader::read(const QByteArray& data)
{
    m_data = data;
    m_entries.clear();
    m_bytes.clear();
    m_encoded = false;
    m_pacing.next = 0;
    m_pacing.stopped = false;
    // With a UTF-8 mark the library reads the bytes as UTF-8 rather than Latin-1.
    bool leftToLibrary = data.startsWith(Utf8Mark);
    int pos = leftToLibrary ? Utf8Mark.size() : 0;
    // Entries before the first section are never looked up by a key with a section.
    bool inSection = false;
    QString section;
    int lineStart = 0;
    int equals = -1;
    for (;;) {
        scanLine(pos, lineStart, equals);
        if (m_pacing.stopped)
            return Outcome::Stopped;
        if (equals < 0 && pos == lineStart)
            break; // the end of the text
        QString key;
        int from = pos;
        const bool header = data.at(lineStart) == '[';
        if (equals >= 0 && !header) {
            int keyEnd = equals;
            while (keyEnd > lineStart && (data.at(keyEnd - 1) == ' ' || data.at(keyEnd - 1) == '\t'))
                --keyEnd;
            const QByteArray name = QByteArray::fromRawData(data.constData() + lineStart, keyEnd - lineStart);
            // An escaped key may stand for any other, one of ours too.
            if (inSection && (name.contains('%') || name.contains('\\')))
                leftToLibrary = true;
            // With its size: a NUL byte ends the name for fromLatin1(QByteArray), while to the library
            // a key with one is another key.
            if (inSection)
                key = section + QString::fromLatin1(name.constData(), name.size());
        }
        if (equals >= 0) {
            // The value, decoded as its line is read; in a section header it only runs to the line's end.
            const bool wanted = !header && inSection && !leftToLibrary && m_bytesKeys.contains(key);
            QByteArray bytes;
            // Sized for the value up to the next raw line break, which a written value does not hold.
            int expected = 0;
            if (wanted) {
                const void* lineBreak = std::memchr(data.constData() + from, '\n', size_t(data.size() - from));
                expected =
                    lineBreak ? int(static_cast<const char*>(lineBreak) - data.constData()) - from : data.size() - from;
            }
            ByteSink sink(wanted ? &bytes : nullptr, m_unicode, expected);
            pos = decodeValue(data.constData(), from, data.size(), true, sink, m_pacing);
            if (pos < 0)
                return Outcome::Stopped;
            if (!header) {
                m_encoded = m_encoded || sink.encoded();
                if (inSection) {
                    // The last entry of a key counts.
                    m_entries.insert(key, {from, pos});
                    if (wanted && sink.exact())
                        m_bytes.insert(key, bytes);
                    else
                        m_bytes.remove(key);
                }
            }
        }
        const int lineEnd = pos;
        if (header) {
            const int close = data.indexOf(']', lineStart);
            const QByteArray name =
                close < 0 || close >= lineEnd ? QByteArray() : data.mid(lineStart + 1, close - lineStart - 1).trimmed();
            leftToLibrary = leftToLibrary || !isPlainName(name);
            section = QString::fromLatin1(name.constData(), name.size()) + QLatin1Char('/');
            inSection = true;
        } else if (equals < 0) {
            // Not an entry: the library reports the section malformed once it parses it.
            leftToLibrary = leftToLibrary || (inSection && data.at(lineStart) != ';');
        }
    }
    if (m_pacing.stopped)
        return Outcome::Stopped;
    return leftToLibrary ? Outcome::LeftToLibrary : Outcome::Read;
}

QVariant IniReader::value(const QString& key) const
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return QVariant();
    StringSink sink;
    NoPacing pacing;
    decodeValue(m_data.constData(), it->from, it->to, false, sink, pacing);
    return sink.variant();
}

QByteArray IniReader::takeBytes(const QString& key)
{
    const auto it = m_bytes.find(key);
    if (it != m_bytes.end()) {
        QByteArray bytes = std::move(*it);
        m_bytes.erase(it);
        return bytes;
    }
    if (!m_entries.contains(key))
        return QByteArray();
    return encodeEditorText(valueText(value(key)), m_unicode);
}

QString IniReader::valueText(const QVariant& value, const QString& defaultText)
{
    if (!value.isValid())
        return defaultText;
    // An unquoted value with commas, as a hand-edited file may hold, is read as a list.
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}
