#include "swf/BitReader.h"
#include "swf/BitWriter.h"

#include <QtTest>
#include <vector>

using namespace quorvane::swf;

class TestBits : public QObject {
    Q_OBJECT

private slots:
    void fieldsReadMostSignificantBitFirst()
    {
        // 1011 0011 | 1110 0000: 1, 011, 00111, 11 then zero padding.
        const std::vector<std::uint8_t> data{0xB3, 0xE0};
        BitReader reader(data);
        QCOMPARE(reader.readBits(1), 1u);
        QCOMPARE(reader.readBits(3), 3u);
        QCOMPARE(reader.readBits(5), 7u);
        QCOMPARE(reader.readBits(2), 3u);
        QVERIFY(!reader.overflowed());
    }

    void signedFieldsExtendTheirSign()
    {
        // 111 | 011 | 100: -1, 3, -4 in three bits each.
        const std::vector<std::uint8_t> data{0xEE, 0x00};
        BitReader reader(data);
        QCOMPARE(reader.readSignedBits(3), -1);
        QCOMPARE(reader.readSignedBits(3), 3);
        QCOMPARE(reader.readSignedBits(3), -4);
        QCOMPARE(reader.readSignedBits(0), 0);
    }

    void thirtyTwoBitFieldsSpanFiveBytes()
    {
        const std::vector<std::uint8_t> data{0x0F, 0xFF, 0xFF, 0xFF, 0xF0};
        BitReader reader(data);
        reader.readBits(4);
        QCOMPARE(reader.readBits(32), 0xFFFFFFFFu);
        QVERIFY(!reader.overflowed());
    }

    void byteReadsAlignAndAreLittleEndian()
    {
        const std::vector<std::uint8_t> data{0x80, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
        BitReader reader(data);
        QCOMPARE(reader.readBits(1), 1u);
        QCOMPARE(reader.readU16(), 0x1234);
        QCOMPARE(reader.readU32(), 0x12345678u);
        QVERIFY(reader.atEnd());
        QVERIFY(!reader.overflowed());
    }

    void readingPastTheEndGivesZerosAndIsReportedOnce()
    {
        const std::vector<std::uint8_t> data{0xFF};
        BitReader reader(data);
        QCOMPARE(reader.readBits(4), 0xFu);
        // Four real bits, then zeros.
        QCOMPARE(reader.readBits(8), 0xF0u);
        QVERIFY(reader.overflowed());
        QCOMPARE(reader.readU32(), 0u);
        QCOMPARE(reader.readBits(32), 0u);
        QCOMPARE(reader.readSignedBits(7), 0);
        QVERIFY(reader.overflowed());
        QCOMPARE(reader.bytesLeft(), std::size_t{0});
    }

    void stringsStopAtTheirNul()
    {
        const std::vector<std::uint8_t> data{'a', 'b', 0, 'c', 0, 'd'};
        BitReader reader(data);
        QCOMPARE(reader.readString(), std::string("ab"));
        QCOMPARE(reader.readString(), std::string("c"));
        QVERIFY(!reader.overflowed());
        // An unterminated string takes what is left and reports it.
        QCOMPARE(reader.readString(), std::string("d"));
        QVERIFY(reader.overflowed());
        QVERIFY(reader.atEnd());
    }

    void bytesAreCutAtTheEnd()
    {
        const std::vector<std::uint8_t> data{1, 2, 3};
        BitReader reader(data);
        QCOMPARE(reader.readBytes(2).size(), std::size_t{2});
        const auto rest = reader.readBytes(5);
        QCOMPARE(rest.size(), std::size_t{1});
        QCOMPARE(rest[0], std::uint8_t{3});
        QVERIFY(reader.overflowed());
    }

    void bitsNeeded_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("signedBits");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("one") << 1 << 2;
        QTest::newRow("minus one") << -1 << 1;
        QTest::newRow("minus two") << -2 << 2;
        QTest::newRow("255") << 255 << 9;
        QTest::newRow("-256") << -256 << 9;
        QTest::newRow("-257") << -257 << 10;
        QTest::newRow("max") << 0x7FFFFFFF << 32;
        QTest::newRow("min") << int(0x80000000) << 32;
    }
    void bitsNeeded()
    {
        QFETCH(int, value);
        QFETCH(int, signedBits);
        QCOMPARE(BitWriter::signedBitsFor(value), signedBits);
    }

    void unsignedBitsNeeded()
    {
        QCOMPARE(BitWriter::unsignedBitsFor(0), 0);
        QCOMPARE(BitWriter::unsignedBitsFor(1), 1);
        QCOMPARE(BitWriter::unsignedBitsFor(255), 8);
        QCOMPARE(BitWriter::unsignedBitsFor(256), 9);
        QCOMPARE(BitWriter::unsignedBitsFor(0xFFFFFFFFu), 32);
    }

    void writtenFieldsReadBack()
    {
        BitWriter writer;
        writer.writeBits(5, 3);
        writer.writeSignedBits(-300, 10);
        writer.writeFlag(true);
        writer.writeU16(0xBEEF);
        writer.writeSignedBits(-1, 1);
        writer.writeString("name");
        writer.writeU32(0xDEADBEEF);
        const std::vector<std::uint8_t> bytes = writer.take();

        BitReader reader(bytes);
        QCOMPARE(reader.readBits(3), 5u);
        QCOMPARE(reader.readSignedBits(10), -300);
        QVERIFY(reader.readFlag());
        QCOMPARE(reader.readU16(), 0xBEEF);
        QCOMPARE(reader.readSignedBits(1), -1);
        QCOMPARE(reader.readString(), std::string("name"));
        QCOMPARE(reader.readU32(), 0xDEADBEEFu);
        QVERIFY(reader.atEnd());
        QVERIFY(!reader.overflowed());
    }
};

QTEST_GUILESS_MAIN(TestBits)
#include "tst_bits.moc"
