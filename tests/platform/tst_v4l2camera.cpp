// SPDX-License-Identifier: GPL-2.0-or-later
#include "camera.h"
#include "camera_v4l2.h"
#include "phonetree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <map>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/select.h>
#include <unistd.h>
#include <vector>

// A fake V4L2 driver behind the camera's calls. Its descriptors are real (eventfds), so leaks
// show in /proc/self/fd, and a silent camera really makes poll wait. Paths it does not know go
// to the system, so the phone driver's node can be a plain file of a phone tree.
namespace fake {

struct Device
{
    QByteArray path;
    bool capture = true;
    std::vector<uint32_t> formats{V4L2_PIX_FMT_YUYV};
    bool converter = true;        // libv4l2 stands by for compressed formats
    unsigned long busyAt = 0;     // this request fails with EBUSY; 1: the open
    bool silent = false;          // streams but never delivers a frame
    int goneAfter = -1;           // frames delivered before the camera is unplugged
    uint32_t padding = 0;         // bytes past the samples in each line
    std::vector<int> lumas{140};  // luma of frame 1, 2, ...; the last one repeats
    std::map<uint32_t, int32_t> controls;
    std::map<uint32_t, int32_t> defaults;

    // What the camera saw.
    bool opened = false;
    bool converted = false;
    uint32_t askedWidth = 0, askedHeight = 0;
    std::map<uint32_t, int32_t> controlsWhileStreaming;
};

struct Handle
{
    Device *device = nullptr;
    uint32_t format = 0, width = 0, height = 0, bytesPerLine = 0, sizeImage = 0;
    std::vector<void *> buffers;
    std::vector<uint32_t> queued;
    bool streaming = false;
    int frames = 0;
};

std::vector<Device> devices;
std::map<int, Handle> handles;
std::map<void *, size_t> mappings;

std::vector<uint32_t> formatsOf(const Device &device)
{
    std::vector<uint32_t> formats = device.formats;
    if (device.converted)
        formats.push_back(V4L2_PIX_FMT_YUV420);
    return formats;
}

int fail(int error)
{
    errno = error;
    return -1;
}

void fillFrame(const Handle &handle, unsigned char *frame)
{
    const std::vector<int> &lumas = handle.device->lumas;
    const unsigned char luma =
        static_cast<unsigned char>(lumas[std::min<size_t>(size_t(handle.frames), lumas.size() - 1)]);
    std::memset(frame, 255, handle.sizeImage);  // padding and chroma: bright, never luma
    const bool packed = handle.format == V4L2_PIX_FMT_YUYV || handle.format == V4L2_PIX_FMT_UYVY;
    const uint32_t first = handle.format == V4L2_PIX_FMT_UYVY ? 1 : 0;
    for (uint32_t row = 0; row < handle.height; ++row)
        for (uint32_t column = 0; column < handle.width; ++column)
            frame[row * handle.bytesPerLine + (packed ? 2 * column + first : column)] = luma;
}

int open(const char *path, int flags)
{
    for (Device &device : devices) {
        if (device.path != path)
            continue;
        if (device.busyAt == 1)
            return fail(EBUSY);
        const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        handles[fd].device = &device;
        device.opened = true;
        return fd;
    }
    return ::open(path, flags);
}

int close(int fd)
{
    handles.erase(fd);
    return ::close(fd);
}

int ioctl(int fd, unsigned long request, void *arg)
{
    auto it = handles.find(fd);
    if (it == handles.end())
        return ::ioctl(fd, request, arg);
    Handle &handle = it->second;
    Device &device = *handle.device;
    if (request == device.busyAt)
        return fail(EBUSY);
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto *capability = static_cast<v4l2_capability *>(arg);
        *capability = {};
        capability->device_caps =
            V4L2_CAP_STREAMING | (device.capture ? V4L2_CAP_VIDEO_CAPTURE : V4L2_CAP_META_CAPTURE);
        capability->capabilities = capability->device_caps | V4L2_CAP_DEVICE_CAPS;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto *description = static_cast<v4l2_fmtdesc *>(arg);
        const std::vector<uint32_t> formats = formatsOf(device);
        if (description->index >= formats.size())
            return fail(EINVAL);
        description->pixelformat = formats[description->index];
        return 0;
    }
    case VIDIOC_S_FMT: {
        v4l2_pix_format &pix = static_cast<v4l2_format *>(arg)->fmt.pix;
        device.askedWidth = pix.width;
        device.askedHeight = pix.height;
        const std::vector<uint32_t> formats = formatsOf(device);
        if (std::find(formats.begin(), formats.end(), pix.pixelformat) == formats.end())
            pix.pixelformat = formats.front();
        pix.width = 16;
        pix.height = 12;
        const bool packed = pix.pixelformat == V4L2_PIX_FMT_YUYV || pix.pixelformat == V4L2_PIX_FMT_UYVY;
        pix.bytesperline = pix.width * (packed ? 2 : 1) + device.padding;
        pix.sizeimage = pix.bytesperline * pix.height * (packed ? 2 : 3) / 2;
        handle.format = pix.pixelformat;
        handle.width = pix.width;
        handle.height = pix.height;
        handle.bytesPerLine = pix.bytesperline;
        handle.sizeImage = pix.sizeimage;
        return 0;
    }
    case VIDIOC_QUERYCTRL: {
        auto *query = static_cast<v4l2_queryctrl *>(arg);
        if (!device.controls.count(query->id))
            return fail(EINVAL);
        query->default_value = device.defaults[query->id];
        return 0;
    }
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
        auto *control = static_cast<v4l2_control *>(arg);
        if (!device.controls.count(control->id))
            return fail(EINVAL);
        if (request == VIDIOC_G_CTRL)
            control->value = device.controls[control->id];
        else
            device.controls[control->id] = control->value;
        return 0;
    }
    case VIDIOC_REQBUFS: {
        auto *buffers = static_cast<v4l2_requestbuffers *>(arg);
        buffers->count = std::min(buffers->count, 4u);
        handle.buffers.assign(buffers->count, nullptr);
        handle.queued.clear();
        return 0;
    }
    case VIDIOC_QUERYBUF: {
        auto *buffer = static_cast<v4l2_buffer *>(arg);
        if (buffer->index >= handle.buffers.size())
            return fail(EINVAL);
        buffer->length = handle.sizeImage;
        buffer->m.offset = buffer->index * 65536;
        return 0;
    }
    case VIDIOC_QBUF: handle.queued.push_back(static_cast<v4l2_buffer *>(arg)->index); return 0;
    case VIDIOC_STREAMON:
        handle.streaming = true;
        device.controlsWhileStreaming = device.controls;
        return 0;
    case VIDIOC_STREAMOFF: handle.streaming = false; return 0;
    case VIDIOC_DQBUF: {
        if (!handle.streaming)
            return fail(EINVAL);
        if (device.goneAfter >= 0 && handle.frames >= device.goneAfter)
            return fail(ENODEV);
        if (device.silent || handle.queued.empty())
            return fail(EAGAIN);
        auto *buffer = static_cast<v4l2_buffer *>(arg);
        buffer->index = handle.queued.front();
        handle.queued.erase(handle.queued.begin());
        buffer->bytesused = handle.sizeImage;
        fillFrame(handle, static_cast<unsigned char *>(handle.buffers[buffer->index]));
        ++handle.frames;
        return 0;
    }
    default: return fail(ENOTTY);
    }
}

void *mmap(void *, size_t length, int, int, int fd, int64_t offset)
{
    auto it = handles.find(fd);
    if (it == handles.end() || offset % 65536 || size_t(offset / 65536) >= it->second.buffers.size())
        return MAP_FAILED;
    void *memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    it->second.buffers[size_t(offset / 65536)] = memory;
    mappings[memory] = length;
    return memory;
}

int munmap(void *start, size_t length)
{
    mappings.erase(start);
    return ::munmap(start, length);
}

int poll(int fd, int timeoutMs)
{
    auto it = handles.find(fd);
    if (it != handles.end() && !it->second.device->silent)
        return 1;
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs);
}

extern const V4l2Calls calls;

const V4l2Calls *converting(int fd)
{
    Device &device = *handles.at(fd).device;
    if (!device.converter)
        return nullptr;
    device.converted = true;
    return &calls;
}

const V4l2Calls calls = {open, close, ioctl, mmap, munmap, poll, converting};

Device &add(const QByteArray &path)
{
    devices.emplace_back();
    devices.back().path = path;
    return devices.back();
}

}  // namespace fake

// A measurement as the phone's camera driver sees it, on whatever camera is in use: map the
// capture memory, capture, wait for the frame, grab it. The mean of its samples, or -1 when a
// step fails; the camera is given back on every way out.
static int captureMean()
{
    const int fd = cameraOpen(CAMERA_NODE, O_RDWR);
    if (fd < 0)
        return -1;
    int mean = -1;
    video_mbuf mbuf{};
    void *memory = MAP_FAILED;
    if (cameraRequest(fd, VIDIOCGMBUF, &mbuf) == 0 && mbuf.size > 0)
        memory = cameraMap(size_t(mbuf.size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory != MAP_FAILED && cameraRequest(fd, VIDIOCCAPTURE, 0ul) == 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        int record[CAMERA_FRAME_WORDS] = {};
        if (cameraSelect(fd + 1, &readable, nullptr, nullptr, nullptr) > 0
            && cameraRequest(fd, WCAM_VIDIOCGRABFRAME, record) == 0 && record[FRAME_SAMPLE_COUNT] > 0) {
            const auto *sample = static_cast<const unsigned char *>(memory) + record[FRAME_SAMPLE_OFFSET];
            long long sum = 0;
            for (int n = 0; n < record[FRAME_SAMPLE_COUNT]; ++n)
                sum += sample[n];
            mean = int(sum / (long long)(record[FRAME_WIDTH] * record[FRAME_HEIGHT]));
        }
        cameraRequest(fd, VIDIOCCAPTURE, static_cast<unsigned long>(-1));
    }
    if (memory != MAP_FAILED)
        cameraUnmap(memory, size_t(mbuf.size));
    cameraClose(fd);
    return mean;
}

class TestV4l2Camera : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void measuresSettledLumaOfEachFormat_data();
    void measuresSettledLumaOfEachFormat();
    void failuresGiveMinusOneAndReleaseAll_data();
    void failuresGiveMinusOneAndReleaseAll();
    void defaultPicksPhoneDriverOrWebcam_data();
    void defaultPicksPhoneDriverOrWebcam();
    void lumaPlaneRefusesShortFrames();

private:
    static int openDescriptors();
    void verifyReleased(const fake::Device &device, const std::map<uint32_t, int32_t> &user);
    int descriptorsBefore = 0;
};

int TestV4l2Camera::openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

void TestV4l2Camera::init()
{
    fake::devices.clear();
    fake::devices.reserve(8);
    fake::mappings.clear();
    cameraReset();
    descriptorsBefore = openDescriptors();
}

void TestV4l2Camera::cleanup()
{
    cameraReset();
}

void TestV4l2Camera::verifyReleased(const fake::Device &device, const std::map<uint32_t, int32_t> &user)
{
    QCOMPARE(openDescriptors(), descriptorsBefore);
    QVERIFY(fake::handles.empty());
    QVERIFY(fake::mappings.empty());
    QVERIFY(device.controls == user);
}

// A camera with the usual automatic controls, set the way a user might have left them.
static std::map<uint32_t, int32_t> userControls(fake::Device &device)
{
    device.controls = {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY},
                       {V4L2_CID_EXPOSURE_ABSOLUTE, 900},
                       {V4L2_CID_AUTOGAIN, 1},
                       {V4L2_CID_GAIN, 80}};
    device.defaults = {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY},
                       {V4L2_CID_EXPOSURE_ABSOLUTE, 156},
                       {V4L2_CID_AUTOGAIN, 1},
                       {V4L2_CID_GAIN, 32}};
    return device.controls;
}

void TestV4l2Camera::measuresSettledLumaOfEachFormat_data()
{
    QTest::addColumn<QList<uint32_t>>("formats");
    QTest::addColumn<uint32_t>("padding");
    QTest::addColumn<bool>("converted");
    QTest::newRow("grey") << QList<uint32_t>{V4L2_PIX_FMT_GREY} << 0u << false;
    QTest::newRow("yuyv with padded lines") << QList<uint32_t>{V4L2_PIX_FMT_YUYV} << 8u << false;
    QTest::newRow("uyvy") << QList<uint32_t>{V4L2_PIX_FMT_UYVY} << 0u << false;
    QTest::newRow("grey preferred over yuyv")
        << QList<uint32_t>{V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_GREY} << 0u << false;
    QTest::newRow("compressed only, converted")
        << QList<uint32_t>{V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_H264} << 4u << true;
}

void TestV4l2Camera::measuresSettledLumaOfEachFormat()
{
    QFETCH(QList<uint32_t>, formats);
    QFETCH(uint32_t, padding);
    QFETCH(bool, converted);
    fake::Device &device = fake::add("/dev/video7");
    device.formats.assign(formats.begin(), formats.end());
    device.padding = padding;
    device.lumas = {0, 0, 0, 255, 30, 140};  // dark while the sensor settles, then the scene
    const auto user = userControls(device);
    cameraUse(makeV4l2Camera("/dev/video7", &fake::calls));

    QCOMPARE(captureMean(), 140);
    QCOMPARE(device.converted, converted);
    QVERIFY(device.askedWidth <= 320 && device.askedHeight <= 240);
    // Manual exposure and gain at the driver's defaults for the capture, the user's after it.
    const std::map<uint32_t, int32_t> fixed = {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
                                               {V4L2_CID_EXPOSURE_ABSOLUTE, 156},
                                               {V4L2_CID_AUTOGAIN, 0},
                                               {V4L2_CID_GAIN, 32}};
    QVERIFY(device.controlsWhileStreaming == fixed);
    verifyReleased(device, user);

    // The next measurement starts from scratch.
    device.lumas = {70};
    QCOMPARE(captureMean(), 70);
    verifyReleased(device, user);
}

void TestV4l2Camera::failuresGiveMinusOneAndReleaseAll_data()
{
    QTest::addColumn<int>("failure");
    QTest::newRow("busy at open") << 0;
    QTest::newRow("busy at format") << 1;
    QTest::newRow("busy at buffers") << 2;
    QTest::newRow("busy at stream on") << 3;
    QTest::newRow("silent") << 4;
    QTest::newRow("unplugged while streaming") << 5;
    QTest::newRow("compressed only, no converter") << 6;
    QTest::newRow("not a capture device") << 7;
}

void TestV4l2Camera::failuresGiveMinusOneAndReleaseAll()
{
    QFETCH(int, failure);
    fake::Device &device = fake::add("/dev/video7");
    const auto user = userControls(device);
    switch (failure) {
    case 0: device.busyAt = 1; break;
    case 1: device.busyAt = VIDIOC_S_FMT; break;
    case 2: device.busyAt = VIDIOC_REQBUFS; break;
    case 3: device.busyAt = VIDIOC_STREAMON; break;
    case 4: device.silent = true; break;
    case 5: device.goneAfter = 0; break;
    case 6:
        device.formats = {V4L2_PIX_FMT_MJPEG};
        device.converter = false;
        break;
    case 7: device.capture = false; break;
    }
    cameraUse(makeV4l2Camera("/dev/video7", &fake::calls));

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(captureMean(), -1);
    QVERIFY2(clock.elapsed() < 5000, "a camera that stays silent must not hold the daemon");
    verifyReleased(device, user);
}

void TestV4l2Camera::defaultPicksPhoneDriverOrWebcam_data()
{
    QTest::addColumn<QStringList>("plainFiles");  // the phone driver's node is a plain file
    QTest::addColumn<QStringList>("metadata");    // V4L2 devices that capture no video
    QTest::addColumn<QStringList>("webcams");
    QTest::addColumn<int>("measurement");
    QTest::addColumn<bool>("webcamUsed");
    QTest::newRow("webcam at the phone's node")
        << QStringList() << QStringList() << QStringList{"video0"} << 140 << true;
    QTest::newRow("first capture device")
        << QStringList() << QStringList{"video1"} << QStringList{"video10", "video3"} << 140 << true;
    QTest::newRow("phone driver answers first")
        << QStringList{"video0"} << QStringList() << QStringList{"video1"} << -1 << false;
    QTest::newRow("no camera at all")
        << QStringList() << QStringList{"video0"} << QStringList() << -1 << false;
}

void TestV4l2Camera::defaultPicksPhoneDriverOrWebcam()
{
    QFETCH(QStringList, plainFiles);
    QFETCH(QStringList, metadata);
    QFETCH(QStringList, webcams);
    QFETCH(int, measurement);
    QFETCH(bool, webcamUsed);
    PhoneTree phone;
    phone.mkdir("/dev");
    for (const QString &name : plainFiles + metadata + webcams)
        phone.write("/dev/" + name, QByteArray());
    for (const QString &name : metadata)
        fake::add(QFile::encodeName(phone.path("/dev/" + name))).capture = false;
    for (const QString &name : webcams)
        fake::add(QFile::encodeName(phone.path("/dev/" + name)));
    cameraUse(makeAutoCamera(&fake::calls));

    QCOMPARE(captureMean(), measurement);
    bool streamed = false;
    for (const fake::Device &device : fake::devices)
        streamed = streamed || !device.controlsWhileStreaming.empty() || device.askedWidth;
    QCOMPARE(streamed, webcamUsed);
    if (webcams.size() > 1)  // video3 before video10
        QVERIFY(fake::devices.back().askedWidth && !fake::devices[1].opened);
    QCOMPARE(openDescriptors(), descriptorsBefore);
}

void TestV4l2Camera::lumaPlaneRefusesShortFrames()
{
    const unsigned char frame[12] = {10, 0, 20, 0, 30, 0, 40, 0, 50, 0, 60, 0};
    unsigned char plane[6] = {};
    QVERIFY(lumaPlane(V4L2_PIX_FMT_YUYV, frame, sizeof frame, 3, 2, 6, plane));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(plane), 6), QByteArray("\x0a\x14\x1e\x28\x32\x3c"));
    QVERIFY(!lumaPlane(V4L2_PIX_FMT_YUYV, frame, sizeof frame - 1, 3, 2, 6, plane));
    QVERIFY(!lumaPlane(V4L2_PIX_FMT_YUYV, frame, sizeof frame, 3, 2, 5, plane));
    QVERIFY(!lumaPlane(V4L2_PIX_FMT_MJPEG, frame, sizeof frame, 3, 2, 6, plane));
}

QTEST_GUILESS_MAIN(TestV4l2Camera)
#include "tst_v4l2camera.moc"
