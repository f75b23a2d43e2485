#pragma once
#include <QWidget>
#include <functional>

class modMain;

// The splash window: loads the settings, then after two seconds loads the main window,
// closes itself and shows the main window.
class frmTitle : public QWidget {
    Q_OBJECT
public:
    // loadMain creates the main window (its opening runs) and returns it, not yet shown.
    frmTitle(modMain& m, std::function<QWidget*()> loadMain);
};
