#pragma once

// What a loader sees of a progress bar: a range of at least 1 and a position
// within it. Not owned through this interface.
class VelProgress {
public:
    virtual void SetRange(int range) = 0;
    virtual int GetRange() const = 0;
    virtual void SetPosition(int position) = 0;
    virtual int GetPosition() const = 0;

protected:
    ~VelProgress() = default;
};
