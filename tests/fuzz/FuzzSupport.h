#pragma once
// Shared by the fuzz targets: one application object per process, a reader that turns the fuzzer's
// bytes into numbers and strings, and a check that stops the run on a broken property.

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that must hold; a violation is a finding, reported the way a crash is.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "property failed at %s:%d: %s\n", __FILE__, __LINE__, #condition);                    \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

namespace FuzzSupport {

// The engine lets events run during long loops, which needs an application object.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    Q_UNUSED(app);
}

// Keeps the warning channel quiet: the command-line parser and Qt report bad input there, which is
// expected here and would only slow the run down.
inline void silenceMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "fatal: %s\n", qPrintable(message));
            std::abort();
        }
    });
}

class Input
{
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }

    quint8 byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // A number in [low, high].
    int number(int low, int high)
    {
        const quint32 span = quint32(qint64(high) - low + 1);
        quint32 value = 0;
        for (int i = 0; i < 4 && span > (1u << (8 * i)); ++i)
            value = (value << 8) | byte();
        return int(qint64(low) + (span ? value % span : value));
    }
    bool flag() { return byte() & 1; }

    // Up to maxUnits UTF-16 units taken two bytes each, so lone surrogates and every code unit occur.
    QString utf16(int maxUnits)
    {
        const int length = number(0, maxUnits);
        QString text;
        text.reserve(length);
        for (int i = 0; i < length && !atEnd(); ++i) {
            const quint8 low = byte();
            const quint8 high = byte();
            text.append(QChar(ushort(low | (high << 8))));
        }
        return text;
    }
    // Up to maxBytes bytes as Latin-1: the shape of most real input (ASCII, line breaks, separators).
    QString latin1(int maxBytes)
    {
        const int length = number(0, maxBytes);
        QString text;
        for (int i = 0; i < length && !atEnd(); ++i)
            text.append(QChar(byte()));
        return text;
    }
    // Either kind, as the next byte says.
    QString text(int maxUnits) { return flag() ? utf16(maxUnits) : latin1(maxUnits); }

    // Everything not read yet.
    QByteArray rest()
    {
        const QByteArray bytes(reinterpret_cast<const char*>(m_data + m_pos), int(m_size - m_pos));
        m_pos = m_size;
        return bytes;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace FuzzSupport
