#include "user_readings_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

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
    const bool exists = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    const std::lock_guard lock(cache.mutex);
    const off_t size = exists ? info.st_size : -1;
    if (path == cache.path && size == cache.size && info.st_mtim.tv_sec == cache.modified.tv_sec
        && info.st_mtim.tv_nsec == cache.modified.tv_nsec)
        return cache.readings;
    cache.path = path;
    cache.size = size;
    cache.modified = exists ? info.st_mtim : timespec{};
    auto readings = std::make_shared<UserReadings>();
    if (exists) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        *readings = parse_user_readings(text.str());
        for (const std::string &problem : readings->problems)
            std::fprintf(stderr, "lumeno: %s: %s (skipped)\n", path.c_str(), problem.c_str());
    }
    cache.readings = std::move(readings);
    return cache.readings;
}

} // namespace speech
