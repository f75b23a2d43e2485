#pragma once
#include "documentcommands.h"

#include <QPointer>
#include <QWidget>

// The document's open and save dialogs: the program's filter list, no default suffix,
// must-exist on open, replace confirmation on save.
class QtFileDialogs : public FileDialogs {
public:
    QtFileDialogs(QWidget* parent, const std::string& startFolder) : parent_(parent), folder_(startFolder) {}
    std::optional<std::string> GetOpenFileName() override;
    std::optional<std::string> GetSaveFileName() override;

private:
    std::optional<std::string> Run(bool save);
    QPointer<QWidget> parent_;
    std::string folder_;
};
