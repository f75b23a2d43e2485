#pragma once
#include <QSvgRenderer>
#include <QTimer>
#include <QWidget>
#include <functional>

class modMain;

// The splash window: loads the settings, then after two seconds loads the main window,
// closes itself and shows the main window. Clicks and keys do nothing.
class frmTitle : public QWidget {
    Q_OBJECT
public:
    // loadMain creates the main window (its opening runs) and returns it, not yet shown.
    frmTitle(modMain& m, std::function<QWidget*()> loadMain);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load(modMain& m);
    void Timer1_Timer();

    std::function<QWidget*()> loadMain_;
    QSvgRenderer picture_;
    QTimer Timer1;
    bool handingOver_ = false;
};
