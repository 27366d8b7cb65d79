#include "app/RunColumns.h"

#include "editor/TextUtils.h"

#include <QFile>
#include <QTextCodec>

#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The longest snippet the column's snippet field holds.
constexpr int SnippetFieldLength = 32767;

// Mapped pages behind the read position are given back in steps of this many bytes.
constexpr qint64 ReleaseStep = qint64(4) << 20;

} // namespace

QString asEditorText(const QString& text, bool unicode)
{
    if (unicode) {
        const QByteArray bytes = text.toUtf8();
        return decodeUtf8(bytes.constData(), bytes.size());
    }
    QString out = text;
    int written = 0;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x100) {
            out[written++] = c;
        } else {
            out[written++] = QLatin1Char('?');
            if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate())
                ++i;
        }
    }
    out.truncate(written);
    return out;
}

QByteArray editorBytes(const QString& editorText, bool unicode)
{
    return unicode ? editorText.toUtf8() : editorText.toLatin1();
}

TextColumn::TextColumn(const QString& snippet, const QString& text, bool unicode)
    : m_snippet(snippet.left(SnippetFieldLength))
{
    const QString editorText = asEditorText(text, unicode);
    m_lines = splitTextLines(editorText);
    // splitTextLines gives no line for the empty rest after a final break; the editor has one.
    if (editorText.isEmpty() || editorText.endsWith(QLatin1Char('\n')) || editorText.endsWith(QLatin1Char('\r')))
        m_lines.append(QString());
    for (QString& line : m_lines) {
        const int nul = line.indexOf(QChar(0));
        if (nul >= 0)
            line.truncate(nul);
    }
}

FileColumn::FileColumn(const QString& snippet, bool unicode)
    : m_snippet(snippet.left(SnippetFieldLength)), m_unicode(unicode)
{
}

FileColumn::~FileColumn()
{
    if (m_mapped)
        ::munmap(const_cast<char*>(m_data), size_t(m_size));
}

bool FileColumn::open(const QString& path, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        *error = QStringLiteral("%1: is a folder").arg(path);
        return false;
    }
    if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode)) {
        *error = QStringLiteral("%1: not a regular file or a pipe").arg(path);
        return false;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (S_ISREG(info.st_mode)) {
        m_size = info.st_size;
        if (m_size > 0) {
            void* map = ::mmap(nullptr, size_t(m_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (map == MAP_FAILED) {
                *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                ::close(fd);
                return false;
            }
            ::madvise(map, size_t(m_size), MADV_SEQUENTIAL);
            m_data = static_cast<const char*>(map);
            m_mapped = true;
        }
    } else {
        // A pipe (a process substitution, say) can be read only once and in order: it is kept in memory.
        char chunk[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                ::close(fd);
                return false;
            }
            if (n == 0)
                break;
            if (m_buffer.size() + n > MaxTextFileBytes) {
                *error = QStringLiteral("%1: a pipe of more than %2 MiB cannot be read; give a file instead")
                             .arg(path)
                             .arg(MaxTextFileBytes >> 20);
                ::close(fd);
                return false;
            }
            m_buffer.append(chunk, int(n));
        }
        m_data = m_buffer.constData();
        m_size = m_buffer.size();
    }
    ::close(fd);

    // As a text stream with Unicode detection reads it: a mark chooses the encoding, else the locale's.
    QTextCodec* codec =
        QTextCodec::codecForUtfText(QByteArray::fromRawData(m_data, int(qMin<qint64>(m_size, 4))), nullptr);
    if (codec && codec->mibEnum() != 106) {
        *error = QStringLiteral("%1: UTF-16 and UTF-32 column files are not supported; convert it to UTF-8").arg(path);
        return false;
    }
    if (codec) {
        m_start = 3;
        m_decoding = Decoding::Utf8;
    } else {
        const int mib = QTextCodec::codecForLocale()->mibEnum();
        m_decoding = mib == 106 ? Decoding::Utf8 : mib == 4 ? Decoding::Latin1 : Decoding::Codec;
    }

    // One pass to count the lines and note where every IndexStride-th one starts.
    qint64 offset = m_start;
    qint64 lines = 0;
    while (offset < m_size) {
        if (lines % IndexStride == 0)
            m_index.append(offset);
        qint64 textEnd = 0;
        offset = lineEnd(offset, &textEnd);
        ++lines;
        if (lines > std::numeric_limits<int>::max() - 1) {
            *error = QStringLiteral("%1: more than %2 lines").arg(path).arg(std::numeric_limits<int>::max() - 1);
            return false;
        }
        release(offset);
    }
    m_lineCount = int(lines);
    m_nextOffset = m_start;
    release(m_size);
    m_released = 0;
    return true;
}

qint64 FileColumn::lineEnd(qint64 offset, qint64* textEnd) const
{
    // One pass over the bytes: lines are short, and three library searches a line cost more than they save.
    const char* const begin = m_data + offset;
    const char* const end = m_data + m_size;
    const char* p = begin;
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    *textEnd = p - m_data;
    if (p == end)
        return m_size;
    if (*p == '\r' && p + 1 < end && p[1] == '\n')
        ++p; // the LF of a CR LF
    return p + 1 - m_data;
}

QString FileColumn::decode(const char* bytes, int length) const
{
    QString text;
    switch (m_decoding) {
    case Decoding::Utf8:
        text = decodeUtf8(bytes, length);
        break;
    case Decoding::Latin1:
        text = QString::fromLatin1(bytes, length);
        break;
    case Decoding::Codec:
        text = QTextCodec::codecForLocale()->toUnicode(bytes, length);
        break;
    }
    // Only ANSI mode changes what was read: UTF-8 holds any decoded text.
    return m_unicode ? text : asEditorText(text, false);
}

// Gives back the mapped pages before upTo: read in order, a file of any size stays small in memory.
void FileColumn::release(qint64 upTo) const
{
    if (!m_mapped || upTo - m_released < ReleaseStep)
        return;
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 end = upTo / page * page;
    if (end > m_released)
        ::madvise(const_cast<char*>(m_data) + m_released, size_t(end - m_released), MADV_DONTNEED);
    m_released = end;
}

void FileColumn::locate(int i, const char** bytes, int* length) const
{
    if (i == m_lastLine) {
        *bytes = m_data + m_lastStart;
        *length = m_lastLength;
        return;
    }
    if (i != m_nextLine) {
        // Out of order (random records): from the nearest indexed line, or on from the last one read.
        const int from = i / IndexStride * IndexStride;
        if (!(i > m_nextLine && m_nextLine >= from)) {
            m_nextLine = from;
            m_nextOffset = m_index.at(from / IndexStride);
        }
        while (m_nextLine < i) {
            qint64 textEnd = 0;
            m_nextOffset = lineEnd(m_nextOffset, &textEnd);
            ++m_nextLine;
        }
    }
    qint64 textEnd = 0;
    const qint64 start = m_nextOffset;
    const qint64 end = lineEnd(start, &textEnd);
    int size = int(qMin<qint64>(textEnd - start, std::numeric_limits<int>::max()));
    // The editor's line ends at a NUL, as the window's column reads it.
    // One pass tells the NUL and whether the line is plain ASCII.
    const char* text = m_data + start;
    unsigned char high = 0;
    for (int k = 0; k < size; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if (c == 0) {
            size = k;
            break;
        }
        high |= c;
    }
    m_lastAscii = high < 0x80;
    m_nextLine = i + 1;
    m_nextOffset = end;
    m_lastLine = i;
    m_lastStart = start;
    m_lastLength = size;
    if (i + 1 == m_lineCount || m_nextLine % IndexStride == 0)
        release(end);
    *bytes = m_data + start;
    *length = size;
}

QString FileColumn::lineText(int i) const
{
    if (i < 0 || i >= m_lineCount)
        return QString();
    const char* bytes = nullptr;
    int length = 0;
    locate(i, &bytes, &length);
    return decode(bytes, length);
}

void FileColumn::appendLineTo(int i, QString& out) const
{
    if (i < 0 || i >= m_lineCount)
        return;
    const char* bytes = nullptr;
    int length = 0;
    locate(i, &bytes, &length);
    // Plain ASCII reads the same in every encoding and mode: widened straight into the record.
    if (m_lastAscii)
        out.append(QLatin1String(bytes, length));
    else
        out += decode(bytes, length);
}
