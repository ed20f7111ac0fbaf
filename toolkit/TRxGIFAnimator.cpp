#include "toolkit/TRxGIFAnimator.h"

#include "toolkit/Backend.h"

void TRxGIFAnimator::SetAnimate(bool animate) {
    if (animate == animate_) {
        return;
    }
    animate_ = animate;
    if (Backend* backend = Backend::Current()) {
        backend->AnimationChanged(*this);
    }
}

void TRxGIFAnimator::AdvanceFrame() {
    if (!animate_) {
        return;
    }
    frame_ = (frame_ + 1) % FrameCount;
    Changed();
}
