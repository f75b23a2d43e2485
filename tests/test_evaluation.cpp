#include "fakeplatform.h"

#include <QtTest>

class TestEvaluation : public QObject {
    Q_OBJECT
private slots:
    void smoke() {
        Game g;
        g.m.Start();
        QCOMPARE(g.m.StatusText, std::string("現在、ﾘｰﾁはありません。"));
        g.Call(0);
        QCOMPARE(g.m.BMess[0].Caption, std::string("Hit! Bingo12"));
    }
};

QTEST_GUILESS_MAIN(TestEvaluation)
#include "test_evaluation.moc"
