#include "fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

void InstallFontSubstitutions() {
    const QStringList gothic{"IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP", "VL PGothic"};
    QFont::insertSubstitutions("ＭＳ Ｐゴシック", gothic);
    QFont::insertSubstitutions("MS PGothic", gothic);
    QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans"});
}

QFont GothicFont(double pointSize) {
    QFont font("ＭＳ Ｐゴシック");
    font.setPointSizeF(pointSize);
    return font;
}

QFont ArialFont(double pointSize, bool bold) {
    QFont font("Arial");
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void SetUpApplication() {
    InstallFontSubstitutions();
    QApplication::setFont(GothicFont(9));
    static QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
}
