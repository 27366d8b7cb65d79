#include "editor/TextUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>

#include <cstring>
#include <new>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString eolString(EolFormat format)
{
    switch (format) {
    case EolWindows:
        return QStringLiteral("\r\n");
    case EolUnix:
        return QStringLiteral("\n");
    default:
        return QStringLiteral("\r");
    }
}

QString eolName(EolFormat format)
{
    switch (format) {
    case EolWindows:
        return QStringLiteral("Windows");
    case EolUnix:
        return QStringLiteral("Unix/OSX");
    default:
        return QStringLiteral("Mac");
    }
}

namespace {

struct WidthRange
{
    int upTo;
    int width;
};

// Ranges of UTF-16 units by inclusive upper bound; each covers the units above the previous bound.
constexpr WidthRange WidthTable[] = {
    {159, 0},   {687, 1},   {710, 0},    {711, 1},    {727, 0},     {733, 1},   {879, 0},   {1154, 1},
    {1161, 0},  {4347, 1},  {4447, 2},   {7467, 1},   {7521, 0},    {8369, 1},  {8426, 0},  {9000, 1},
    {9002, 2},  {11021, 1}, {12350, 2},  {12351, 1},  {12438, 2},   {12442, 0}, {19893, 2}, {19967, 1},
    {55203, 2}, {63743, 1}, {64106, 2},  {65039, 1},  {65059, 0},   {65131, 2}, {65279, 1}, {65376, 2},
    {65500, 1}, {65510, 2}, {120831, 1}, {262141, 2}, {1114109, 1},
};

} // namespace

int charWidth(QChar c)
{
    const int code = c.unicode();
    if (code == 10 || (code >= 13 && code <= 15))
        return 0;
    if (code <= 126)
        return 1;
    for (const WidthRange& range : WidthTable) {
        if (range.upTo >= code)
            return range.width;
    }
    return 1;
}

int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += charWidth(c);
    return width;
}

QStringList splitTextLines(const QString& text)
{
    // The string itself is cut, not its UTF-8 form: decoding each piece again would drop a
    // byte-order mark at the start of a line and turn a lone surrogate into "?", and the lines
    // would no longer give back the text.
    QStringList lines;
    const QChar* data = text.constData();
    const int size = text.size();
    int start = 0;
    for (int i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines.append(QString(data + start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && data[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString(data + start, size - start));
    return lines;
}

QString decodeUtf8(const char* bytes, int length)
{
    // fromUtf8 drops one leading mark and would drop the next after it, so all of them are counted.
    int marks = 0;
    while (length - 3 * marks >= 3 && std::memcmp(bytes + 3 * marks, "\xef\xbb\xbf", 3) == 0)
        ++marks;
    if (marks == 0)
        return QString::fromUtf8(bytes, length);
    return QString(marks, QChar(0xFEFF)) + QString::fromUtf8(bytes + 3 * marks, length - 3 * marks);
}

QString lstripChars(const QString& text, const QString& chars)
{
    int i = 0;
    while (i < text.size() && chars.contains(text.at(i)))
        ++i;
    return text.mid(i);
}

QString rstripChars(const QString& text, const QString& chars)
{
    int end = text.size();
    while (end > 0 && chars.contains(text.at(end - 1)))
        --end;
    return text.left(end);
}

QString swapCaseText(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        const ushort code = c.unicode();
        if (code >= 'A' && code <= 'Z')
            c = QChar(ushort(code + ('a' - 'A')));
        else if (code > 127 && c.category() == QChar::Letter_Uppercase)
            c = c.toLower();
        else
            c = c.toUpper();
    }
    return result;
}

QStringList splitKeepSeparators(const QString& text, const QString& separator, bool enabled)
{
    QStringList parts;
    if (!enabled || separator.isEmpty())
        return parts;
    int pos = 0;
    for (int found = text.indexOf(separator, pos); found >= 0; found = text.indexOf(separator, pos)) {
        if (found > pos)
            parts.append(text.mid(pos, found - pos));
        parts.append(QString());
        pos = found + separator.size();
    }
    if (pos < text.size())
        parts.append(text.mid(pos));
    return parts;
}

namespace {

constexpr int ReadChunkBytes = 1 << 16;

// Opens path for reading only when it is a regular file. A FIFO is never opened for reading the
// usual way, since that waits for a writer; nor is a device, whose opening can act on it.
TextFileStatus openRegularFile(const QString& path, QFile* file, qint64* size)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0 || S_ISDIR(info.st_mode))
        return TextFileStatus::CannotOpen;
    if (!S_ISREG(info.st_mode))
        return TextFileStatus::NotRegularFile;
    // The name may have been replaced meanwhile: open without waiting and look at what was opened.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return TextFileStatus::CannotOpen;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool dir = S_ISDIR(info.st_mode);
        ::close(fd);
        return dir ? TextFileStatus::CannotOpen : TextFileStatus::NotRegularFile;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return TextFileStatus::CannotOpen;
    }
    *size = info.st_size;
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return TextFileStatus::CannotOpen;
    if (!info.isFile())
        return TextFileStatus::NotRegularFile;
    file->setFileName(path);
    if (!file->open(QIODevice::ReadOnly))
        return TextFileStatus::CannotOpen;
    *size = file->size();
#endif
    return TextFileStatus::Ok;
}

QString readRegularTextFile(const QString& path, TextFileStatus* status)
{
    QFile file;
    qint64 size = 0;
    *status = openRegularFile(path, &file, &size);
    if (*status != TextFileStatus::Ok)
        return QString();
    if (size > MaxTextFileBytes) {
        *status = TextFileStatus::TooLarge;
        return QString();
    }
    // Read to the limit rather than trusting the size: a file can grow, or read more than it says.
    QByteArray bytes;
    bytes.reserve(int(size));
    QByteArray chunk(ReadChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) {
            *status = TextFileStatus::CannotOpen;
            return QString();
        }
        if (n == 0)
            break;
        if (bytes.size() + n > MaxTextFileBytes) {
            *status = TextFileStatus::TooLarge;
            return QString();
        }
        bytes.append(chunk.constData(), int(n));
    }
    // As a text stream with Unicode detection would read it: a mark picks the encoding and is
    // taken out once, by the decoder; without one the locale's encoding is used.
    QTextCodec* codec = QTextCodec::codecForUtfText(bytes, QTextCodec::codecForLocale());
    QTextCodec::ConverterState state;
    QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    // An incomplete sequence at the end stays in the state; it is shown rather than dropped.
    if (state.remainingChars > 0)
        text.append(QChar(QChar::ReplacementCharacter));
    if (state.invalidChars > 0 || state.remainingChars > 0)
        *status = TextFileStatus::InvalidBytes;
    return text;
}

} // namespace

QString readTextFile(const QString& path, TextFileStatus* status)
{
    TextFileStatus result = TextFileStatus::Ok;
    QString text;
    try {
        text = readRegularTextFile(path, &result);
    } catch (const std::bad_alloc&) {
        text = QString();
        result = TextFileStatus::OutOfMemory;
    }
    if (status)
        *status = result;
    return text;
}

QString textFileStatusMessage(TextFileStatus status, const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (status) {
    case TextFileStatus::Ok:
        return QString();
    case TextFileStatus::InvalidBytes:
        return QCoreApplication::translate("TextFile", "Some bytes of %1 are not valid text in its encoding and were "
                                                       "replaced by \uFFFD; saving the text does not give them back.")
            .arg(name);
    case TextFileStatus::CannotOpen:
        return QCoreApplication::translate("TextFile", "Invalid Text File.");
    case TextFileStatus::NotRegularFile:
        return QCoreApplication::translate("TextFile",
                                           "%1 is not a regular file (a FIFO, device or socket) and cannot be loaded.")
            .arg(name);
    case TextFileStatus::TooLarge:
        return QCoreApplication::translate("TextFile", "%1 is too large to load: at most %2 MiB can be loaded.")
            .arg(name)
            .arg(MaxTextFileBytes >> 20);
    case TextFileStatus::OutOfMemory:
        return QCoreApplication::translate("TextFile", "There is not enough memory to load %1.").arg(name);
    }
    return QString();
}

bool writeTextFile(const QString& path, const QString& text, bool unicode)
{
    return writeFileBytes(path, unicode ? text.toUtf8() : text.toLatin1());
}

bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (target.isDir())
        return false;
    // Renaming a scratch file over the target would replace a device or FIFO by a regular file, cut
    // the other hard links off and give the file to whoever saves it.
    bool inPlace = target.exists() && !target.isFile();
#ifdef Q_OS_UNIX
    struct stat info;
    if (!inPlace && target.isFile() && ::stat(QFile::encodeName(path).constData(), &info) == 0)
        inPlace = info.st_nlink > 1 || info.st_uid != ::geteuid();
#endif
    if (inPlace) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        return file.write(bytes) == bytes.size() && file.flush();
    }
    QSaveFile file(path);
    // A writable file in a folder that is not: written in place, since no scratch file can go beside it.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
