#pragma once

#include "toolkit/TControl.h"

#include <string>

// The looping, transparent spinner. Its frames advance only on the user-interface thread, when
// the backend's timer message is handled, so it stands still while that thread sleeps or blocks.
class TRxGIFAnimator : public TControl {
public:
    static constexpr int FrameCount = 12;
    static constexpr int FrameIntervalMs = 100;

    TRxGIFAnimator(TWinControl* parent, std::string name, std::string animationResource)
        : TControl(parent, std::move(name)), animation_(std::move(animationResource)) {}

    const std::string& Animation() const { return animation_; }
    bool Animate() const { return animate_; }
    void SetAnimate(bool animate);
    int FrameIndex() const { return frame_; }
    // One timer tick: the next frame, looping.
    void AdvanceFrame();

private:
    std::string animation_;
    bool animate_ = false;
    int frame_ = 0;
};
