// The stored KDH mode: how its text is read, and the round trip through the
// settings file from one run to the next.

#include "app/Form1.h"
#include "app/KdhSetting.h"
#include "platform/SettingsStore.h"
#include "tests/support/QtToolkit.h"
#include "tests/support/TestRig.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;
using ondrel::Form1;
using ondrel::KdhSetting;

class TestKdhSetting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheStoredText_data();
    void readsTheStoredText();
    void storesTheCheckBoxPlusOne();
    void survivesTheRun_data();
    void survivesTheRun();
};

void TestKdhSetting::readsTheStoredText_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("nothing stored") << QString() << true;
    QTest::newRow("off") << u"1"_s << false;
    QTest::newRow("on") << u"2"_s << true;
    QTest::newRow("zero") << u"0"_s << true;
    QTest::newRow("rounds down to one") << u"1.4"_s << false;
    QTest::newRow("just below the upper tie") << u"1.4999999999999999999"_s << false;
    QTest::newRow("upper tie goes to two") << u"1.5"_s << true;
    QTest::newRow("lower tie goes to zero") << u"0.5"_s << true;
    QTest::newRow("just above the lower tie") << u"0.5000000000000000001"_s << false;
    QTest::newRow("fraction without a whole part") << u".6"_s << false;
    QTest::newRow("tie at two and a half") << u"2.5"_s << true;
    QTest::newRow("leading spaces") << u"   1"_s << false;
    QTest::newRow("leading zeros") << u"001"_s << false;
    QTest::newRow("plus sign") << u"+1"_s << false;
    QTest::newRow("minus one") << u"-1"_s << true;
    QTest::newRow("trailing text") << u"1abc"_s << false;
    QTest::newRow("a trailing dot") << u"1."_s << false;
    QTest::newRow("no number") << u"abc"_s << true;
    QTest::newRow("a sign alone") << u"-"_s << true;
    QTest::newRow("a leading tab is no space") << u"\t1"_s << true;
}

void TestKdhSetting::readsTheStoredText() {
    QFETCH(QString, stored);
    QFETCH(bool, ticked);
    QCOMPARE(KdhSetting::ticked(stored.toStdString()), ticked);
}

void TestKdhSetting::storesTheCheckBoxPlusOne() {
    QCOMPARE(KdhSetting::storedFor(true), std::string("2"));
    QCOMPARE(KdhSetting::storedFor(false), std::string("1"));
}

void TestKdhSetting::survivesTheRun_data() {
    QTest::addColumn<QString>("stored"); // empty: nothing stored
    QTest::addColumn<bool>("startsTicked");
    QTest::addColumn<int>("click"); // -1 untick, 0 leave, 1 tick
    QTest::addColumn<QString>("storedAfter");
    QTest::newRow("first run, left alone") << QString() << true << 0 << u"2"_s;
    QTest::newRow("off, left alone") << u"1"_s << false << 0 << u"1"_s;
    QTest::newRow("off, ticked") << u"1"_s << false << 1 << u"2"_s;
    QTest::newRow("on, unticked") << u"2"_s << true << -1 << u"1"_s;
    QTest::newRow("no number, left alone") << u"abc"_s << true << 0 << u"2"_s;
}

void TestKdhSetting::survivesTheRun() {
    QFETCH(QString, stored);
    QFETCH(bool, startsTicked);
    QFETCH(int, click);
    QFETCH(QString, storedAfter);

    ondrel::test::TestRig rig;
    const QString file = QString::fromStdString(rig.configFile());
    if (!stored.isEmpty())
        rig.services().settings.write("Zara", "Done", "Kdh", stored.toStdString());
    QCOMPARE(QFile::exists(file), !stored.isEmpty());

    Form1 form(rig.services(), rig.windows(), rig.messageBox);
    form.Form_Load();
    form.window().show();
    QCOMPARE(form.Check2->isChecked(), startsTicked);
    // The Desktop option is not kept from one run to the next.
    QVERIFY(!form.Check1->isChecked());
    if (click != 0) {
        // On the box itself: the rest of the wide control is not clickable.
        QWidget* const box = ondrel::test::qtWidget(form.window(), form.Check2);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(form.Check2->isChecked(), click > 0);
    }
    form.Check1->setChecked(true);
    form.window().close();
    QVERIFY(form.unloaded());
    QVERIFY(!form.window().isVisible());

    QSettings written(file, QSettings::IniFormat);
    QCOMPARE(written.value(u"Done/Kdh"_s).toString(), storedAfter);
    QCOMPARE(written.allKeys(), QStringList{u"Done/Kdh"_s});

    // The next run starts from what was stored, with the Desktop option off.
    Form1 next(rig.services(), rig.windows(), rig.messageBox);
    next.Form_Load();
    QCOMPARE(next.Check2->isChecked(), storedAfter == u"2"_s);
    QVERIFY(!next.Check1->isChecked());
}

QTEST_MAIN(TestKdhSetting)
#include "test_kdhsetting.moc"
