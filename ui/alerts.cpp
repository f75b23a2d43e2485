#include "alerts.h"

#include "sheetframe.h"

#include <QApplication>

namespace {
// Red and back three times in about two seconds.
constexpr int kFlashSteps = 6;
constexpr int kFlashStepMs = 333;
} // namespace

Alerts::Alerts(QWidget* window, const std::array<SheetFrame*, kSheets>& frames,
               const std::array<QWidget*, kSheets>& statusLabels, QObject* parent)
    : QObject(parent), window_(window), frames_(frames), statusLabels_(statusLabels) {
    // Loaded once here, so the first call plays without delay.
    reach_.setSource(QUrl("qrc:/sounds/reach.wav"));
    bingo_.setSource(QUrl("qrc:/sounds/bingo.wav"));
    flash_.setInterval(kFlashStepMs);
    connect(&flash_, &QTimer::timeout, this, &Alerts::Step);
}

void Alerts::Announce(const CallNews& news) {
    const LineNews strongest = news.Strongest();
    if (!news.call || strongest == LineNews::Bingo) {
        flash_.stop();
        ShowRed(false);
    }
    for (int s = 0; s < kSheets; ++s) {
        const LineNews n = news.sheets[static_cast<std::size_t>(s)];
        statusLabels_[static_cast<std::size_t>(s)]->setAccessibleDescription(n == LineNews::Bingo   ? "ビンゴ"
                                                                             : n == LineNews::Reach ? "リーチ"
                                                                                                    : QString());
    }
    lastSound_ = soundOn_ ? strongest : LineNews::None;
    if (strongest == LineNews::None)
        return;
    // Never wait on a sound or ask whether one is playing: without a sound server it may say so for ever.
    if (soundOn_)
        (strongest == LineNews::Bingo ? bingo_ : reach_).play();
    if (strongest == LineNews::Bingo) {
        flashing_ = news;
        step_ = 0;
        ShowRed(true);
        flash_.start();
    }
    if (!window_->isActiveWindow())
        QApplication::alert(window_);
}

void Alerts::ShowRed(bool red) {
    for (int s = 0; s < kSheets; ++s)
        if (flashing_.sheets[static_cast<std::size_t>(s)] == LineNews::Bingo)
            frames_[static_cast<std::size_t>(s)]->setAlarm(red);
    if (!red && !flash_.isActive())
        flashing_ = {};
}

void Alerts::Step() {
    ++step_;
    if (step_ >= kFlashSteps - 1)
        flash_.stop();
    ShowRed(step_ % 2 == 0);
}
