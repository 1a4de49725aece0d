// SPDX-License-Identifier: GPL-3.0-or-later
#include "user_readings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace speech {

std::string user_readings_path()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config != nullptr && config[0] == '/') {
        folder = config;
    } else {
        const char *home = std::getenv("HOME");
        folder = std::string(home != nullptr ? home : "") + "/.config";
    }
    return folder + "/lumeno/readings.txt";
}

namespace {

// Far more than anyone writes by hand (some 30,000 lines); a larger file is not read at all.
constexpr off_t kMostBytes = 1024 * 1024;

// The file's text, or why it is not read. Only a regular file is opened, so a FIFO or a
// device named like it cannot hold the engine up.
bool read_bounded(const std::string &path, std::string &text, std::string &problem)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular || info.st_size > kMostBytes) {
        problem = regular ? "larger than 1 MiB, not read" : "not a regular file";
        ::close(fd);
        return false;
    }
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    ::close(fd);
    return true;
}

void warn(const std::string &path, const std::string &problem)
{
    // Worker processes of one run share the file: only one of them speaks up.
    const char *quiet = std::getenv("LUMENO_READINGS_QUIET");
    if (quiet == nullptr || quiet[0] == '\0')
        std::fprintf(stderr, "%s: %s: %s\n", program_invocation_short_name, path.c_str(), problem.c_str());
}

} // namespace

std::shared_ptr<const UserReadings> current_user_readings()
{
    struct Cache {
        std::mutex mutex;
        std::string path;
        struct timespec modified {};
        off_t size = -1;
        std::shared_ptr<const UserReadings> readings = std::make_shared<UserReadings>();
    };
    static Cache cache;

    const std::string path = user_readings_path();
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    const std::lock_guard lock(cache.mutex);
    const off_t size = exists ? info.st_size : -1;
    if (path == cache.path && size == cache.size && info.st_mtim.tv_sec == cache.modified.tv_sec
        && info.st_mtim.tv_nsec == cache.modified.tv_nsec)
        return cache.readings;
    cache.path = path;
    cache.size = size;
    cache.modified = exists ? info.st_mtim : timespec{};
    auto readings = std::make_shared<UserReadings>();
    std::string text;
    std::string problem;
    if (exists && !read_bounded(path, text, problem))
        warn(path, problem);
    if (!text.empty()) {
        *readings = parse_user_readings(text);
        for (const std::string &line_problem : readings->problems)
            warn(path, line_problem + " (skipped)");
    }
    cache.readings = std::move(readings);
    return cache.readings;
}

} // namespace speech
