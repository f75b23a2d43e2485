#pragma once
#include <QObject>
#include <QSoundEffect>
#include <QTimer>

#include <array>

#include "platform.h"

class SheetFrame;
class QWidget;

// Makes a call's reach or bingo impossible to miss without taking the keyboard: a sound, the frames of the sheets
// with a new bingo flashing red, the task bar asking for attention, and the reason in the status labels'
// accessible descriptions. Nothing here opens a window or waits on the sound.
class Alerts : public QObject {
    Q_OBJECT
public:
    Alerts(QWidget* window, const std::array<SheetFrame*, kSheets>& frames,
           const std::array<QWidget*, kSheets>& statusLabels, QObject* parent = nullptr);

    void setSoundOn(bool on) { soundOn_ = on; }
    bool soundOn() const { return soundOn_; }
    bool isFlashing() const { return flash_.isActive(); }
    // The sound the latest call played, None when it played none (what a test without a sound server can see).
    LineNews lastSound() const { return lastSound_; }

    // A call's news sounds and flashes; a call without a new bingo leaves a flash running. News of no call
    // (Start, End, a take-back) stops everything at once.
    void Announce(const CallNews& news);

private:
    void ShowRed(bool red);
    void Step();

    QWidget* window_;
    std::array<SheetFrame*, kSheets> frames_;
    std::array<QWidget*, kSheets> statusLabels_;
    QSoundEffect reach_;
    QSoundEffect bingo_;
    QTimer flash_;
    int step_ = 0;
    CallNews flashing_;
    bool soundOn_ = true;
    LineNews lastSound_ = LineNews::None;
};
