#include "backends/x11/verified_frame_writer.h"

#include <cmath>

namespace vantile {

namespace {
bool within(double a, double b) {
    return std::abs(a - b) <= VerifiedFrameWriter::tolerance;
}

bool positionRight(const Rect& frame, const Rect& target) {
    return within(frame.x, target.x) && within(frame.y, target.y);
}

bool sizeRight(const Rect& frame, const Rect& target) {
    return within(std::abs(frame.width), target.width) &&
           within(std::abs(frame.height), target.height);
}
} // namespace

void VerifiedFrameWriter::write(const WindowRef& window, const Rect& frame) {
    window_.raise(window);
    window_.setFrame(window, frame);
    for (int pass = 0; pass < verificationPasses; ++pass) {
        if (verifyAndCorrect(window, frame)) {
            break;
        }
    }
    if (const auto now = window_.frame(window); now && !positionRight(*now, frame)) {
        window_.setPosition(window, frame.origin());
    }
}

// One pass: waits, reads back, corrects what is off. True when nothing needs correcting or the
// window can no longer be read.
bool VerifiedFrameWriter::verifyAndCorrect(const WindowRef& window, const Rect& frame) {
    clock_.sleepMicroseconds(verificationSleepMicros);
    const auto now = window_.frame(window);
    if (!now) {
        return true;
    }
    const bool goodPosition = positionRight(*now, frame);
    const bool goodSize = sizeRight(*now, frame);
    if (goodPosition && goodSize) {
        return true;
    }
    if (!goodSize) {
        window_.setSize(window, frame.size());
    }
    if (!goodPosition) {
        window_.setPosition(window, frame.origin());
    }
    if (!goodSize) {
        window_.setSize(window, frame.size());
    }
    return false;
}

} // namespace vantile
