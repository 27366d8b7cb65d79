#pragma once
// The values of an INI text as the settings library's INI format reads them (QSettings::value), in one
// pass over the bytes: the values wanted as editor bytes (UTF-8, or Latin-1) are decoded straight into
// them, without a string of their text. The library's rarer forms are left to the library itself: a
// UTF-8 mark, a section name other than a plain word, a key with an escape, a line that is not an
// entry in a section. read() says when a text holds one.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class IniReader
{
public:
    enum class Outcome { Read, LeftToLibrary, Stopped };

    // bytesKeys ("section/key") are decoded into editor bytes during the pass, in UTF-8 or Latin-1 as
    // unicode says. pollStop, when given, is called every few tens of kilobytes; true ends the read.
    explicit IniReader(const QStringList& bytesKeys = {}, bool unicode = true, std::function<bool()> pollStop = {});

    // Reads the whole text. Afterwards holdsEncodedValue() holds whatever the outcome but Stopped; the
    // values only after Read.
    Outcome read(const QByteArray& data);

    // Whether some value of the text (of any key, in a section or not) has an element in an encoded
    // form ("@Variant(...)", "@ByteArray(...)" and the like, but not "@String(...)"), which the library
    // would decode through a data stream that trusts the counts it reads.
    bool holdsEncodedValue() const { return m_encoded; }
    bool contains(const QString& key) const { return m_entries.contains(key); }
    // What QSettings::value(key) gives; invalid when the key is not there.
    QVariant value(const QString& key) const;
    // The text of a bytes key as valueText() gives it, in editor bytes; empty when the key is not
    // there. Handed over once.
    QByteArray takeBytes(const QString& key);

    // A value as text: a list (an unquoted comma) joined by commas, defaultText when there is none.
    static QString valueText(const QVariant& value, const QString& defaultText = QString());

private:
    struct Entry
    {
        int from = 0;
        int to = 0;
    };
    // Asks the stop predicate once a step of bytes has passed since it last did.
    struct Pacing
    {
        std::function<bool()> pollStop;
        int next = 0;
        bool stopped = false;
        // True when the read is to end.
        bool due(int position);
    };
    // A line as the library cuts them, up to its value if it has one.
    void scanLine(int& pos, int& lineStart, int& equals);

    QStringList m_bytesKeys;
    bool m_unicode;
    Pacing m_pacing;
    QByteArray m_data;
    QHash<QString, Entry> m_entries;
    QHash<QString, QByteArray> m_bytes;
    bool m_encoded = false;
};
