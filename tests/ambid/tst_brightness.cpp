// SPDX-License-Identifier: GPL-2.0-or-later
#include "brightness.h"
#include "camera.h"
#include "fakecamera.h"
#include "phonepath.h"
#include "stderrcapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestBrightness : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void measuresOneFrameInDriverOrder();
    void failingStepEndsAndReleases_data();
    void failingStepEndsAndReleases();
    void repeatedMeasurementsLeaveNothingBehind();
    void frameMeanOfRecord_data();
    void frameMeanOfRecord();
    void targetLevelBounds_data();
    void targetLevelBounds();
    void simCameraMeasuresFileAfresh();
    void phoneCameraUsesRootedNode();

private:
    FakeCamera *installFake();
    static int openDescriptorCount();
    static QStringList fullTrace();
};

void TestBrightness::init()
{
    qunsetenv("EZX_CAMERA");
    qunsetenv("EZX_ROOT");
    cameraReset();
}

void TestBrightness::cleanup()
{
    cameraReset();
}

FakeCamera *TestBrightness::installFake()
{
    auto *fake = new FakeCamera;
    cameraUse(fake);
    return fake;
}

int TestBrightness::openDescriptorCount()
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    return descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

// One whole measurement as the fake driver sees it.
QStringList TestBrightness::fullTrace()
{
    return {"open /dev/video0 rw",
            "WCAM_VIDIOCSCINFOR 15 16",
            "WCAM_VIDIOCSBUFCOUNT 4",
            "VIDIOCGMBUF",
            "mmap 4096 read-write shared offset 0",
            "WCAM_VIDIOCSFPS 30 30",
            "WCAM_VIDIOCSNIGHTMODE 2 1",
            "WCAM_VIDIOCSBRIGHT 0",
            "VIDIOCSWIN 352x288",
            "WCAM_VIDIOCSOSIZE 352 288",
            "VIDIOCCAPTURE 0",
            "WCAM_VIDIOCGBUFCOUNT same integer",
            "select",
            "WCAM_VIDIOCGRABFRAME",
            "VIDIOCCAPTURE -1",
            "munmap 4096",
            "close"};
}

void TestBrightness::measuresOneFrameInDriverOrder()
{
    FakeCamera *fake = installFake();
    // Samples 0..255 eight times from offset 512; everything around them is white, so reading
    // the wrong place or the wrong length shows.
    std::fill(fake->memory.begin(), fake->memory.end(), 255);
    for (int i = 0; i < 2048; ++i)
        fake->memory[512 + i] = static_cast<unsigned char>(i % 256);
    fake->record[6] = 512;
    // The frame is ready only at the third look.
    fake->idleSelects = 2;

    StderrCapture err;
    QCOMPARE(measureBrightness(), 127);
    QCOMPARE(err.text(), QByteArray());
    QStringList expected = fullTrace();
    expected.insert(expected.indexOf("select"), 2, "select");
    QCOMPARE(fake->trace, expected);
    QCOMPARE(fake->openDescriptors, 0);
    QCOMPARE(fake->liveMappings, 0);
}

void TestBrightness::failingStepEndsAndReleases_data()
{
    QTest::addColumn<qulonglong>("failingRequest");
    QTest::addColumn<bool>("mapFails");
    QTest::addColumn<int>("reportedSize");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("lastStep");
    QTest::addColumn<QByteArray>("message");

    const QByteArray io = ": Input/output error\n";
    auto failing = [&](const char *row, qulonglong request, const char *lastStep, const char *name) {
        QTest::newRow(row) << request << false << -1 << 64 << 0 << QString(lastStep) << QByteArray(name) + io;
    };
    failing("cinfor", 215, "WCAM_VIDIOCSCINFOR 15 16", "WCAM_VIDIOCSCINFOR");
    failing("set_buffer_count", 253, "WCAM_VIDIOCSBUFCOUNT 4", "WCAM_VIDIOCSBUFCOUNT");
    failing("mbuf", 0x80887614, "VIDIOCGMBUF", "VIDIOCGMBUF");
    failing("fps", 221, "WCAM_VIDIOCSFPS 30 30", "WCAM_VIDIOCSFPS");
    failing("night_mode", 222, "WCAM_VIDIOCSNIGHTMODE 2 1", "WCAM_VIDIOCSNIGHTMODE");
    failing("bright", 252, "WCAM_VIDIOCSBRIGHT 0", "WCAM_VIDIOCSBRIGHT");
    failing("window", 0x4020760A, "VIDIOCSWIN 352x288", "VIDIOCSWIN");
    failing("output_size", 218, "WCAM_VIDIOCSOSIZE 352 288", "WCAM_VIDIOCSOSIZE");
    failing("capture", 0x40047608, "VIDIOCCAPTURE 0", "VIDIOCCAPTURE");
    failing("get_buffer_count", 267, "WCAM_VIDIOCGBUFCOUNT same integer", "WCAM_VIDIOCGBUFCOUNT");
    failing("grab", 265, "WCAM_VIDIOCGRABFRAME", "WCAM_VIDIOCGRABFRAME");

    QTest::newRow("mapping_refused") << 0ull << true << -1 << 64 << 0
                                     << "mmap 4096 read-write shared offset 0"
                                     << QByteArray("mmap: Cannot allocate memory\n");
    QTest::newRow("no_capture_memory")
        << 0ull << false << 0 << 64 << 0 << "VIDIOCGMBUF" << QByteArray("mmap: Invalid argument\n");
    QTest::newRow("frame_without_pixels") << 0ull << false << -1 << 0 << 0 << "WCAM_VIDIOCGRABFRAME"
                                          << QByteArray("WCAM_VIDIOCGRABFRAME: Invalid argument\n");
    QTest::newRow("samples_past_the_mapping") << 0ull << false << -1 << 64 << 3000 << "WCAM_VIDIOCGRABFRAME"
                                              << QByteArray("WCAM_VIDIOCGRABFRAME: Invalid argument\n");
}

void TestBrightness::failingStepEndsAndReleases()
{
    QFETCH(qulonglong, failingRequest);
    QFETCH(bool, mapFails);
    QFETCH(int, reportedSize);
    QFETCH(int, width);
    QFETCH(int, offset);
    QFETCH(QString, lastStep);
    QFETCH(QByteArray, message);

    FakeCamera *fake = installFake();
    fake->failingRequest = failingRequest;
    fake->mapFails = mapFails;
    fake->reportedSize = reportedSize;
    fake->record[2] = width;
    fake->record[6] = offset;

    StderrCapture err;
    QCOMPARE(measureBrightness(), -1);
    QCOMPARE(err.text(), message);

    // Nothing more is asked of the driver after the failing step: the mapping (if one was made)
    // goes, then the camera is closed.
    const QStringList full = fullTrace();
    const int last = full.indexOf(lastStep);
    QStringList expected = full.mid(0, last + 1);
    if (last > full.indexOf("mmap 4096 read-write shared offset 0"))
        expected << "munmap 4096";
    expected << "close";
    QCOMPARE(fake->trace, expected);
    QCOMPARE(fake->openDescriptors, 0);
    QCOMPARE(fake->liveMappings, 0);
}

void TestBrightness::repeatedMeasurementsLeaveNothingBehind()
{
    const int before = openDescriptorCount();
    FakeCamera *fake = installFake();
    const unsigned long failing[] = {0, 215, 0x80887614, 221, 265, 0x40047608};
    {
        StderrCapture quiet;
        for (int i = 0; i < 3000; ++i) {
            fake->failingRequest = failing[i % 6];
            fake->mapFails = i % 7 == 3;
            measureBrightness();
        }
        fake->openFails = true;
        QCOMPARE(measureBrightness(), -1);
    }
    QCOMPARE(fake->opens, 3000);
    QCOMPARE(fake->openDescriptors, 0);
    QCOMPARE(fake->liveMappings, 0);
    QCOMPARE(openDescriptorCount(), before);
}

void TestBrightness::frameMeanOfRecord_data()
{
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<QList<int>>("words");  // width, height, offset, count
    QTest::addColumn<int>("mean");

    const QByteArray dark(64, '\0');
    const QByteArray white(64, '\xff');
    QTest::newRow("dark") << dark << QList<int>{8, 8, 0, 64} << 0;
    QTest::newRow("white") << white << QList<int>{8, 8, 0, 64} << 255;
    QTest::newRow("truncated") << QByteArray("\x01\x02", 2) << QList<int>{2, 1, 0, 2} << 1;
    QTest::newRow("from_offset") << QByteArray("\xff\xff\x0a\x14", 4) << QList<int>{1, 2, 2, 2} << 15;
    QTest::newRow("no_samples") << white << QList<int>{8, 8, 0, 0} << 0;
    QTest::newRow("negative_count") << white << QList<int>{8, 8, 0, -5} << 0;
    QTest::newRow("more_samples_than_pixels") << white << QList<int>{2, 2, 0, 64} << 255;
    QTest::newRow("huge_frame_few_samples") << white << QList<int>{65536, 65536, 0, 64} << 0;
    QTest::newRow("no_pixels") << white << QList<int>{0, 8, 0, 64} << -1;
    QTest::newRow("negative_pixels") << white << QList<int>{-8, 8, 0, 64} << -1;
    QTest::newRow("past_the_end") << white << QList<int>{8, 8, 1, 64} << -1;
    QTest::newRow("before_the_start") << white << QList<int>{8, 8, -1, 2} << -1;
    QTest::newRow("count_overflowing_offset") << white << QList<int>{8, 8, 60, 2147483647} << -1;
}

void TestBrightness::frameMeanOfRecord()
{
    QFETCH(QByteArray, memory);
    QFETCH(QList<int>, words);
    QFETCH(int, mean);
    int record[CAMERA_FRAME_WORDS] = {};
    record[2] = words[0];
    record[3] = words[1];
    record[6] = words[2];
    record[9] = words[3];
    QCOMPARE(frameMean(reinterpret_cast<const unsigned char *>(memory.constData()), memory.size(), record),
             mean);
}

void TestBrightness::targetLevelBounds_data()
{
    QTest::addColumn<int>("measurement");
    QTest::addColumn<int>("minLevel");
    QTest::addColumn<int>("errorLevel");
    QTest::addColumn<int>("target");

    QTest::newRow("dark_gives_min_level") << 0 << 10 << 50 << 10;
    QTest::newRow("15_is_exactly_min") << 15 << 10 << 50 << 10;
    QTest::newRow("17_truncates_to_11") << 17 << 10 << 50 << 11;
    QTest::newRow("148_gives_98") << 148 << 10 << 50 << 98;
    QTest::newRow("149_gives_99") << 149 << 10 << 50 << 99;
    QTest::newRow("150_capped_at_99_never_100") << 150 << 10 << 50 << 99;
    QTest::newRow("white_capped_at_99") << 255 << 10 << 50 << 99;
    QTest::newRow("failure_gives_error_level") << -1 << 10 << 50 << 50;
    QTest::newRow("error_level_raised_to_min") << -1 << 40 << 30 << 40;
    QTest::newRow("error_level_capped") << -1 << 10 << 150 << 99;
    QTest::newRow("min_0_lets_1_give_0") << 1 << 0 << 50 << 0;
    QTest::newRow("min_120_wins_over_dark") << 0 << 120 << 50 << 120;
    QTest::newRow("min_120_wins_over_cap") << 255 << 120 << 50 << 120;
    QTest::newRow("min_120_wins_over_error") << -1 << 120 << 50 << 120;
}

void TestBrightness::targetLevelBounds()
{
    QFETCH(int, measurement);
    QFETCH(int, minLevel);
    QFETCH(int, errorLevel);
    QFETCH(int, target);
    QCOMPARE(targetLevel(measurement, minLevel, errorLevel), target);
}

void TestBrightness::simCameraMeasuresFileAfresh()
{
    QTemporaryDir dir;
    const QString frame = dir.filePath("frame.raw");
    qputenv("EZX_CAMERA", ("sim:" + frame).toLocal8Bit());
    cameraReset();
    const int before = openDescriptorCount();
    auto writeFrame = [&](const QByteArray &bytes) {
        QFile file(frame);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };

    StderrCapture err;
    QCOMPARE(measureBrightness(), -1);  // no file yet
    writeFrame(QByteArray("\x00\x64\xc8\xff\x01", 5));
    QCOMPARE(measureBrightness(), 556 / 5);
    writeFrame(QByteArray(3, '\x07'));
    QCOMPARE(measureBrightness(), 7);
    writeFrame(QByteArray());
    QCOMPARE(measureBrightness(), -1);
    QCOMPARE(err.text(), QByteArray());
    QCOMPARE(openDescriptorCount(), before);
}

void TestBrightness::phoneCameraUsesRootedNode()
{
    QTemporaryDir root;
    qputenv("EZX_ROOT", root.path().toLocal8Bit());
    StderrCapture err;
    QCOMPARE(measureBrightness(), -1);  // no camera: silent
    QVERIFY(QDir(root.path()).mkpath("dev"));
    QFile node(root.filePath("dev/video0"));
    QVERIFY(node.open(QIODevice::WriteOnly));
    node.close();
    // A plain file is no camera: the first driver request is refused the way ioctl refuses it.
    QCOMPARE(measureBrightness(), -1);
    QCOMPARE(err.text(), QByteArray("WCAM_VIDIOCSCINFOR: Inappropriate ioctl for device\n"));
}

QTEST_GUILESS_MAIN(TestBrightness)
#include "tst_brightness.moc"
