#pragma once
// How a long engine run asks its caller whether to stop and tells it how far it got.

class Callback
{
public:
    virtual ~Callback() = default;

    // True when the run must end before its next record (or match).
    virtual bool isStopRequested() = 0;
    // The number of records produced so far; the engine ignores the returned value.
    // Neither call may delete a column of the run: columns go away only while events are processed,
    // which is where the run looks for removed columns.
    virtual bool setProgress(int records) = 0;
};
