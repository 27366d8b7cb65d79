#include "editor/TextUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#ifdef Q_OS_UNIX
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

struct WidthRange {
    int upTo;
    int width;
};

// Ranges of UTF-16 units by inclusive upper bound; each covers the units above the previous bound.
constexpr WidthRange widthTable[] = {
    {159, 0},    {687, 1},    {710, 0},    {711, 1},    {727, 0},    {733, 1},    {879, 0},
    {1154, 1},   {1161, 0},   {4347, 1},   {4447, 2},   {7467, 1},   {7521, 0},   {8369, 1},
    {8426, 0},   {9000, 1},   {9002, 2},   {11021, 1},  {12350, 2},  {12351, 1},  {12438, 2},
    {12442, 0},  {19893, 2},  {19967, 1},  {55203, 2},  {63743, 1},  {64106, 2},  {65039, 1},
    {65059, 0},  {65131, 2},  {65279, 1},  {65376, 2},  {65500, 1},  {65510, 2},  {120831, 1},
    {262141, 2}, {1114109, 1},
};

} // namespace

int charWidth(QChar c)
{
    const int code = c.unicode();
    if (code == 10 || (code >= 13 && code <= 15))
        return 0;
    if (code <= 126)
        return 1;
    for (const WidthRange& range : widthTable) {
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

QString readTextFile(const QString& path, bool* ok)
{
    QFile file(path);
    // A folder opens on some systems but reads as nothing; treat it as unreadable.
    const bool opened = !QFileInfo(path).isDir() && file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return QString();
    QTextStream stream(&file);
    stream.setAutoDetectUnicode(true);
    return stream.readAll();
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
