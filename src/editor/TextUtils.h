#pragma once
// Line endings and the small text helpers shared by the editors, the line operations, the columns
// and the column tools: line splitting, character-cell widths, stripping, case swapping and text
// file reading and writing.

#include <QByteArray>
#include <QString>
#include <QStringList>

enum EolFormat {
    EolWindows = 0, // CR LF
    EolUnix = 1,    // LF
    EolMac = 2      // CR
};

// Line break of a format; any value other than Windows and Unix behaves as Mac.
QString eolString(EolFormat format);
// Display name of a format: "Windows", "Unix/OSX" or "Mac".
QString eolName(EolFormat format);

// Width in character cells (0, 1 or 2) of one UTF-16 unit.
int charWidth(QChar c);
// Sum of charWidth over the string's UTF-16 units.
int displayWidth(const QString& text);

// Splits at CR LF, LF and lone CR. An empty text gives no lines; a text that ends with a line
// break gives no line for the empty rest after it. Every other character stays in its line (NUL
// and byte-order marks included), so the lines joined with their breaks give back the text.
QStringList splitTextLines(const QString& text);

// UTF-8 bytes as text. Unlike QString::fromUtf8 it keeps byte-order marks at the start, which
// inside a document are characters like any other (a line may well begin with one).
QString decodeUtf8(const char* bytes, int length);

// Remove the leading / trailing run of characters that occur in chars.
QString lstripChars(const QString& text, const QString& chars);
QString rstripChars(const QString& text, const QString& chars);

// Swaps upper and lower case, unit by unit.
QString swapCaseText(const QString& text);

// Splits at every occurrence of separator, adding one empty string for each separator:
// "a,,b" at "," gives "a", "", "", "b". Empty when disabled or when separator is empty.
QStringList splitKeepSeparators(const QString& text, const QString& separator, bool enabled);

// What reading a whole text file came to.
enum class TextFileStatus {
    Ok,
    // Read, but some bytes were not valid in the file's encoding and became U+FFFD.
    InvalidBytes,
    // Missing, unreadable or a folder.
    CannotOpen,
    // A FIFO, device or socket: reading one can wait for ever or never end.
    NotRegularFile,
    // Larger than MaxTextFileBytes.
    TooLarge,
    // The text did not fit into memory.
    OutOfMemory,
};

// The largest file readTextFile takes. Every byte can become one UTF-16 unit, and a string holds
// at most about 2^30 of them; the spare room lets callers still add to the text.
constexpr qint64 MaxTextFileBytes = (qint64(1) << 30) - (qint64(1) << 20);

// Reads a whole regular text file, honouring a byte-order mark (UTF-8, UTF-16, UTF-32), which is
// not part of the text; without one the locale's encoding is used. Line breaks are kept. Whatever
// goes wrong is reported in *status (when given), never thrown; only Ok and InvalidBytes give text.
QString readTextFile(const QString& path, TextFileStatus* status);
// Whether a read that came to status gave the file's text.
inline bool textWasRead(TextFileStatus status)
{
    return status == TextFileStatus::Ok || status == TextFileStatus::InvalidBytes;
}
// What to tell the user about a read of path that came to status; empty for Ok.
QString textFileStatusMessage(TextFileStatus status, const QString& path);
// Writes text as UTF-8 (unicode) or Latin-1 ("?" for characters outside it), without a byte-order
// mark, through writeFileBytes. Returns false on failure.
bool writeTextFile(const QString& path, const QString& text, bool unicode);
// Makes bytes the whole content of path. A new or regular file is replaced only once everything is
// written, so a failed write leaves the old content as it was; where its folder takes no scratch file,
// or the file has other hard links or another owner, it is written in place so that it stays the same
// file. A device, FIFO or other special file is written straight through and keeps its node. Returns
// false on failure.
bool writeFileBytes(const QString& path, const QByteArray& bytes);
