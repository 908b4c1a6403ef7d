// FieldText and FieldInteger never fail: the value, or "" and 0.
#include "store/FieldMap.h"
#include "store/FieldReaders.h"

#include <QTest>

using namespace marvik::store;

class tst_FieldReaders : public QObject
{
    Q_OBJECT

private slots:
    void readers_data();
    void readers();
};

void tst_FieldReaders::readers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer");

    QTest::newRow("text") << "Subject"
                          << "Hello" << 0;
    QTest::newRow("other letter case") << "SUBJECT"
                                       << "Hello" << 0;
    QTest::newRow("integer") << "Message Number"
                             << "42" << 42;
    QTest::newRow("negative") << "Conference Number"
                              << "-2" << -2;
    QTest::newRow("empty Reference Number") << "Reference Number"
                                            << "" << 0;
    QTest::newRow("missing field") << "No Such Field"
                                   << "" << 0;
    QTest::newRow("boolean true") << "Read Flag"
                                  << "True" << 1;
    QTest::newRow("boolean false") << "Personal"
                                   << "False" << 0;
    QTest::newRow("number as text") << "Number Text"
                                    << " 17 " << 17;
    QTest::newRow("text not a number") << "To"
                                       << "JOHN" << 0;
    QTest::newRow("empty text") << "From"
                                << "" << 0;
    QTest::newRow("beyond 32 bits") << "Huge"
                                    << "4294967296" << 0;
}

void tst_FieldReaders::readers()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, integer);
    FieldMap row;
    row.setValue("Subject", QStringLiteral("Hello"));
    row.setValue("Message Number", qint64(42));
    row.setValue("Conference Number", qint64(-2));
    row.setValue("Reference Number", QVariant());
    row.setValue("Read Flag", true);
    row.setValue("Personal", false);
    row.setValue("Number Text", QStringLiteral(" 17 "));
    row.setValue("To", QStringLiteral("JOHN"));
    row.setValue("From", QString());
    row.setValue("Huge", qint64(4294967296LL));
    QCOMPARE(FieldText(row, name), text);
    QCOMPARE(FieldInteger(row, name), integer);
}

QTEST_GUILESS_MAIN(tst_FieldReaders)
#include "tst_fieldreaders.moc"
