#include "ReadFloor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

size_t ReadAndFindLineStarts(const char *path)
{
    const int fd = open(path, O_RDONLY);
    struct stat info
    {
    };
    if (fd < 0)
        return 0;
    if (fstat(fd, &info) != 0) {
        close(fd);
        return 0;
    }
    const size_t size = size_t(info.st_size);
    const std::unique_ptr<char[]> buffer(new char[size]);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer.get() + done, size - done);
        if (got <= 0)
            break;
        done += size_t(got);
    }
    close(fd);
    std::vector<size_t> starts;
    starts.reserve(done / 32);
    starts.push_back(0);
    const char *const begin = buffer.get();
    const char *const end = begin + done;
    for (const char *p = begin; (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p))));)
        starts.push_back(size_t(++p - begin));
    benchmark::DoNotOptimize(starts.data());
    return starts.size();
}
