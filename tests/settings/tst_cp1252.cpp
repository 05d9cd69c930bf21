#include "settings/Cp1252.h"

#include <QTest>

class tst_Cp1252 : public QObject {
    Q_OBJECT

private slots:
    void everyByteSurvivesDecodeAndEncode()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = DecodeCp1252(all);
        QCOMPARE(text.size(), 256);
        bool lossless = false;
        QCOMPARE(EncodeCp1252(text, &lossless), all);
        QVERIFY(lossless);
        QVERIFY(IsCp1252Encodable(text));
    }

    void highControlRangeIsTheWindowsTable()
    {
        const QString assigned = QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
        const QByteArray bytes("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                               "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F");
        QCOMPARE(EncodeCp1252(assigned), bytes);
        QCOMPARE(DecodeCp1252(bytes), assigned);

        // The five unassigned bytes are the C1 controls of the same value.
        for (const char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
            QCOMPARE(DecodeCp1252(QByteArray(1, b)), QString(QChar(uchar(b))));
        QCOMPARE(DecodeCp1252("J\xFCrgen Wei\xDF"), QStringLiteral("Jürgen Weiß"));
    }

    void unencodableCharactersBecomeQuestionMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Latin Extended-A") << QStringLiteral("Ā") << QByteArray("?");
        QTest::newRow("C1 control with a glyph in its slot") << QString(QChar(0x80)) << QByteArray("?");
        QTest::newRow("Cyrillic between Latin") << QStringLiteral("aЖb") << QByteArray("a?b");
        QTest::newRow("surrogate pair is one character") << QStringLiteral("x😀y") << QByteArray("x?y");
    }

    void unencodableCharactersBecomeQuestionMarks()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool lossless = true;
        QCOMPARE(EncodeCp1252(text, &lossless), bytes);
        QVERIFY(!lossless);
        QVERIFY(!IsCp1252Encodable(text));
    }
};

QTEST_GUILESS_MAIN(tst_Cp1252)
#include "tst_cp1252.moc"
