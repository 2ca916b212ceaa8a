// SPDX-License-Identifier: GPL-2.0-or-later
#include "mic_backends.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Raw s16le mono from a file; silence once it runs out.
class FileMic : public MicSource
{
public:
    explicit FileMic(int fd) : fd(fd) {}
    ~FileMic() override { ::close(fd); }

    int fill(short *buffer, unsigned int count) override
    {
        unsigned char *bytes = reinterpret_cast<unsigned char *>(buffer);
        size_t want = size_t(count) * 2, got = 0;
        while (got < want) {
            ssize_t n = ::read(fd, bytes + got, want - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += size_t(n);
        }
        unsigned int samples = unsigned(got / 2);
        for (unsigned int i = 0; i < samples; ++i)
            buffer[i] = short(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return int(samples);
    }

private:
    int fd;
};

}  // namespace

MicSource *openFileMic(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    return fd < 0 ? nullptr : new FileMic(fd);
}
