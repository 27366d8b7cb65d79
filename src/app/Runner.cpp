#include "app/Runner.h"

#include "app/RunColumns.h"
#include "engine/FormattedColumn.h"
#include "engine/MergeEngine.h"
#include "engine/QTemplate.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

// Records between two looks at the clock for --progress.
constexpr int ProgressStep = 1 << 12;
constexpr qint64 ProgressIntervalMs = 1000;

// Writes each piece in the result editor's encoding to a device, on a thread of its own, so that
// encoding and writing overlap with building the next records. A few pieces wait at most.
class DeviceSink : public RecordSink
{
public:
    DeviceSink(QIODevice& device, bool unicode) : m_device(device), m_unicode(unicode)
    {
        m_writer = std::thread([this] { writeLoop(); });
    }
    ~DeviceSink() override { finish(); }

    bool write(const QString& piece) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_room.wait(lock, [this] { return m_pieces.size() < MaxWaiting || m_failed; });
        if (m_failed)
            return false;
        m_pieces.push_back(piece);
        m_ready.notify_one();
        return true;
    }

    // Writes what is waiting and ends the thread; returns whether every piece was written.
    bool finish()
    {
        if (m_writer.joinable()) {
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_done = true;
            }
            m_ready.notify_one();
            m_writer.join();
        }
        return !m_failed;
    }

private:
    static constexpr size_t MaxWaiting = 4;

    void writeLoop()
    {
        for (;;) {
            QString piece;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_ready.wait(lock, [this] { return !m_pieces.empty() || m_done; });
                if (m_pieces.empty())
                    return;
                piece = std::move(m_pieces.front());
                m_pieces.pop_front();
            }
            m_room.notify_one();
            const QByteArray bytes = editorBytes(piece, m_unicode);
            if (m_device.write(bytes) != bytes.size()) {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_failed = true;
                m_pieces.clear();
                m_room.notify_one();
                return;
            }
        }
    }

    QIODevice& m_device;
    bool m_unicode;
    std::thread m_writer;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<QString> m_pieces;
    bool m_done = false;
    bool m_failed = false;
};

QString programName()
{
    return QStringLiteral("lineweld-run");
}

} // namespace

Runner::Runner(const RunOptions& options, const volatile std::sig_atomic_t* stopFlag, QTextStream& errors)
    : m_options(options), m_stopFlag(stopFlag), m_errors(errors)
{
}

int Runner::fail(const QString& message)
{
    m_errors << programName() << ": " << message << '\n';
    m_errors.flush();
    return FileError;
}

bool Runner::setProgress(int records)
{
    const qint64 now = m_clock.elapsed();
    if (now - m_lastReport < ProgressIntervalMs)
        return true;
    m_lastReport = now;
    m_errors << programName() << ": " << records << " records, " << qint64(records * 1000.0 / qMax<qint64>(now, 1))
             << " records/s\n";
    m_errors.flush();
    return true;
}

int Runner::run()
{
    m_clock.start();
    const QString& path = m_options.templatePath;
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("cannot read %1: no such file").arg(path));
    if (info.isDir())
        return fail(QStringLiteral("cannot read %1: it is a folder").arg(path));

    // The same store as the window's, so that one settings file gives one result.
    const Preferences& preferences = *Preferences::instance();
    const bool unicode = preferences.editorUnicode();
    const QString prefix = preferences.columnsPrefix();
    const QString suffix = preferences.columnsSuffix();
    const QString lineBreak = m_options.eolGiven ? eolString(m_options.eol) : preferences.eolString();

    const QTemplate file(path, {prefix, suffix, preferences.columnsStartColumns()});
    if (file.status() == QSettings::AccessError)
        return fail(file.notice().isEmpty() ? QStringLiteral("cannot read %1").arg(path) : file.notice());

    QList<QTemplate::Column> contents = file.columns();
    // A column given as a file may lie past the template file's own columns; those between get the
    // defaults of a new column.
    const int count =
        m_options.columnFiles.isEmpty() ? contents.size() : qMax(contents.size(), m_options.columnFiles.lastKey());
    for (int n = contents.size(); n < count; ++n)
        contents.append({QString(), QStringLiteral("%1%2%3").arg(prefix, QString::number(n + 1), suffix)});

    const QList<ValueFormat> formats = file.columnFormats();
    std::vector<std::unique_ptr<MergeColumn>> owned;
    QList<MergeColumn*> columns;
    for (int n = 0; n < count; ++n) {
        const QString snippet = contents.at(n).second;
        if (m_options.columnFiles.contains(n + 1)) {
            auto column = std::make_unique<FileColumn>(snippet, unicode);
            QString error;
            if (!column->open(m_options.columnFiles.value(n + 1), &error))
                return fail(QStringLiteral("cannot read column %1 from %2").arg(n + 1).arg(error));
            owned.push_back(std::move(column));
        } else {
            owned.push_back(std::make_unique<TextColumn>(snippet, contents.at(n).first, unicode));
        }
        // Escaped and padded as in the window, a column file too.
        const ValueFormat format = formats.value(n);
        if (!format.isDefault())
            owned.push_back(std::make_unique<FormattedColumn>(owned.back().get(), format));
        columns.append(owned.back().get());
    }

    MergeEngine engine;
    engine.setMultiLine(file.isMultiLine() && !m_options.singleLine);
    // The template goes through the template editor in the window.
    engine.setup(columns, asEditorText(file.templateText(), unicode), lineBreak);

    // A file is written beside its final place and renamed over it once complete; a FIFO or a device
    // has no place to rename over and is written straight.
    QFile standardOutput;
    QSaveFile saveFile;
    QFile special;
    QIODevice* device = nullptr;
    const QString& outputPath = m_options.outputPath;
    if (outputPath.isEmpty()) {
        if (!standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(QStringLiteral("cannot write to standard output: %1").arg(standardOutput.errorString()));
        device = &standardOutput;
    } else {
        const QFileInfo target(outputPath);
        if (target.isDir())
            return fail(QStringLiteral("cannot write %1: it is a folder").arg(outputPath));
        QFileDevice* out = &saveFile;
        if (target.exists() && !target.isFile()) {
            special.setFileName(outputPath);
            out = &special;
        } else {
            saveFile.setFileName(outputPath);
            saveFile.setDirectWriteFallback(false);
        }
        if (!out->open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write %1: %2").arg(outputPath, out->errorString()));
        device = out;
    }
    const auto outputName = [&] { return outputPath.isEmpty() ? QStringLiteral("standard output") : outputPath; };

    DeviceSink sink(*device, unicode);
    const int step = m_options.progress ? ProgressStep : 0;
    bool written = true;
    switch (m_options.mode) {
    case RunOptions::Mode::Merge:
        written = engine.mergeInto(sink, this, step);
        break;
    case RunOptions::Mode::Random:
        written = engine.generateRandomInto(m_options.randomCount, sink, this, step);
        break;
    case RunOptions::Mode::Replace: {
        const QString text = engine.replaceMatches(this);
        if (engine.resultTruncated()) {
            sink.finish();
            saveFile.cancelWriting();
            return fail(QStringLiteral("the result of Replace Match passed its size limit of %1 characters")
                            .arg(engine.resultLimit()));
        }
        if (!engine.tooComplexPattern().isEmpty())
            m_errors << programName() << ": pattern too complex: " << engine.tooComplexPattern()
                     << "; Replace Match ended there, the result holds the replacements made before it\n";
        written = text.isEmpty() || sink.write(text);
        break;
    }
    }
    written = sink.finish() && written;
    if (isStopRequested()) {
        saveFile.cancelWriting();
        return Interrupted;
    }
    if (!written) {
        const QString why = device->errorString();
        saveFile.cancelWriting();
        return fail(QStringLiteral("cannot write %1: %2").arg(outputName(), why));
    }
    if (saveFile.isOpen() && !saveFile.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(outputPath, saveFile.errorString()));
    if (m_options.progress) {
        m_errors << programName() << ": done in " << m_clock.elapsed() << " ms\n";
        m_errors.flush();
    }
    return Success;
}
