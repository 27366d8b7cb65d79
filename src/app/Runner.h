#pragma once
// One run of lineweld-run: reads the template file and the column files, runs the merge, Replace Match
// or random records with the user's preferences, and streams the result to a file or standard output.

#include "app/RunOptions.h"
#include "engine/Callback.h"

#include <QElapsedTimer>

#include <csignal>

class QTextStream;

class Runner : public Callback
{
public:
    // Exit statuses.
    static constexpr int Success = 0;
    static constexpr int FileError = 1;
    static constexpr int UsageError = 2;
    // Not an exit status: the run was stopped and left nothing behind.
    static constexpr int Interrupted = -1;

    // The run stops before its next record once *stopFlag is non-zero (set by a signal handler).
    Runner(const RunOptions& options, const volatile std::sig_atomic_t* stopFlag, QTextStream& errors);

    int run();

    bool isStopRequested() override { return m_stopFlag && *m_stopFlag != 0; }
    bool setProgress(int records) override;

private:
    int fail(const QString& message);

    const RunOptions& m_options;
    const volatile std::sig_atomic_t* m_stopFlag;
    QTextStream& m_errors;
    QElapsedTimer m_clock;
    qint64 m_lastReport = 0;
};
