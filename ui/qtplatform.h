#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform.h"
#include "randomsource.h"

// The game module's platform in the running program: message boxes, yields as pending
// events processed, change notices as a signal the windows mirror the model on.
class QtPlatform : public QObject, public Platform {
    Q_OBJECT
public:
    // The random source is seeded here, once per program start; the fills reseed it from the clock.
    explicit QtPlatform(QObject* parent = nullptr, SeedSources seeds = SeedSources::System());

    int MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void DoEvents() override;
    void Changed() override;
    float Rnd() override { return random_.Next(); }
    void Randomize() override { random_.SeedFromTimeOfDay(); }
    void Announce(const CallNews& news) override { emit announced(news); }

    // Where message boxes are centred; falls back to the active window when it is gone.
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

signals:
    // The display model changed. Emitted at once, so the timer switch follows without delay;
    // receivers keep their work small or coalesce it.
    void modelChanged();
    // What the latest call brought the sheets, or all None when whatever it set going must stop.
    void announced(const CallNews& news);

private:
    RandomSource random_;
    QPointer<QWidget> dialogParent_;
};
