#pragma once
#include <QWidget>

#include <array>
#include <vector>

#include "modmain.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QTableWidget;

// One number of the board: plain, called (inverted), waiting (blue); the latest call framed.
class NumberCell : public QWidget {
    Q_OBJECT
public:
    explicit NumberCell(QWidget* parent);
    // Returns whether anything changed.
    bool setState(int number, bool called, bool latest, bool waiting);
    QSize sizeHint() const override { return {30, 22}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int number_ = -1; // -1: blank
    bool called_ = false, latest_ = false, waiting_ = false;
};

// The number board: every number of the range with the calls and what the sheets wait for, each card's
// outlook, and the run's calls. It reads the model and never takes the keyboard: keys that reach it go to the
// main window.
class frmBoard : public QWidget {
    Q_OBJECT
public:
    frmBoard(modMain& m, QWidget* mainWindow);

    // Brings the board into line with the model; cheap when nothing it shows changed.
    void Follow();

signals:
    void closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowNumbers(const std::array<bool, 100>& called, int latest, const std::array<bool, 100>& waiting);
    void ShowCards(const std::array<SheetOutlook, kSheets>& outlooks);
    void ShowCalls();

    // What the board last showed, to skip work when a change of the model leaves it alone.
    struct Shown {
        bool running = false;
        std::vector<std::int16_t> calls;
        SettingRecord range;
        std::array<std::string, kSheets> names, statuses;
        std::string statusText;
        std::array<std::string, kBoxes> cells;
        bool operator==(const Shown&) const = default;
    };
    Shown Current() const;

    modMain& m_;
    QWidget* main_;
    std::array<NumberCell*, 100> numbers_{};
    std::vector<NumberCell*> outside_; // called numbers outside the range, after the grid
    QGridLayout* outsideGrid_ = nullptr;
    QTableWidget* cards_ = nullptr;
    QCheckBox* sortByNearest_ = nullptr;
    QLabel* oddsNote_ = nullptr;
    QLabel* callCount_ = nullptr;
    QListWidget* calls_ = nullptr;
    Shown shown_;
    bool first_ = true;
};
