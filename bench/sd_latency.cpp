// SPDX-License-Identifier: GPL-3.0-or-later
// sd_lumeno against espeak-ng's own Speech Dispatcher module, both driven over the module
// protocol as the server drives them (INIT, server audio, SET, SPEAK ...):
//   first audio: SPEAK of a short sentence (under 20 characters) -> the first 705 audio block
//                read back. Goal for sd_lumeno: median <= 30 ms, 95th percentile <= 60 ms.
//   stop:        STOP during a long utterance -> 703 STOP, after which no audio comes; and
//                the last audio that was still on its way. Goal: <= 20 ms.
//   memory:      the module's resident memory before and after 1,000 utterances. Goal: < 1 MB.
//   sd_latency [ROUNDS] [ESPEAK_MODULE]
// ROUNDS defaults to 200 per module (each of the sentences in turn); the espeak-ng module is
// /usr/lib/speech-dispatcher-modules/sd_espeak-ng unless given.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char *const kSentences[] = {
    "他在银行工作。", "请重新开始。",   "今天天气很好。",   "我们明天见。", "打开文件菜单",
    "保存成功",       "第三行，共十行", "你有一条新消息。", "链接，首页",   "按钮，确定",
};

const char *const kLong = "春天来了，河边的柳树发芽了，孩子们在草地上放风筝。";

class Module {
public:
    Module(const char *program, const char *config)
    {
        int to_child[2];
        int from_child[2];
        if (::pipe(to_child) != 0 || ::pipe(from_child) != 0)
            std::exit(2);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(to_child[0], 0);
            ::dup2(from_child[1], 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
            ::close(to_child[1]);
            ::close(from_child[0]);
            ::execl(program, program, config, static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(to_child[0]);
        ::close(from_child[1]);
        m_in = to_child[1];
        m_out = from_child[0];
    }
    ~Module()
    {
        send("QUIT\n");
        ::close(m_in);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        ::close(m_out);
    }

    void send(const std::string &text) { (void)!::write(m_in, text.data(), text.size()); }

    // Reads lines until one starts with one of the prefixes; returns its index, -1 on timeout.
    int wait_for(std::initializer_list<const char *> prefixes, int timeout_ms = 20000)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            std::size_t end;
            while ((end = m_buffer.find('\n')) != std::string::npos) {
                const std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                if (line.rfind("705-AUDIO", 0) == 0)
                    m_audio_bytes += line.size() - 10;
                int i = 0;
                for (const char *prefix : prefixes) {
                    if (line.rfind(prefix, 0) == 0)
                        return i;
                    ++i;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return -1;
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                return -1;
            char chunk[65536];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                return -1;
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    bool start(const char *language)
    {
        send("INIT\n");
        if (wait_for({"299 OK", "399"}, 30000) != 0)
            return false;
        send("AUDIO\naudio_output_method=server\n.\n");
        if (wait_for({"203 OK AUDIO"}) != 0)
            return false;
        send(std::string("SET\nlanguage=") + language + "\nvoice=female1\n.\n");
        return wait_for({"203 OK SETTINGS", "30"}) >= 0;
    }

    void speak(const std::string &text) { send("SPEAK\n<speak>" + text + "</speak>\n.\n"); }

    long rss_kb() const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string key;
        while (status >> key) {
            long value = 0;
            if (key == "VmRSS:" && status >> value)
                return value;
            status.ignore(1 << 12, '\n');
        }
        return -1;
    }

    std::size_t m_audio_bytes = 0;

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
};

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void print_stats(const char *name, const char *what, std::vector<double> values)
{
    if (values.empty()) {
        std::printf("%-14s %-22s no measurement\n", name, what);
        return;
    }
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[std::min(values.size() - 1, std::size_t(q * values.size()))]; };
    std::printf("%-14s %-22s median %7.2f ms  p95 %7.2f ms  worst %7.2f ms  (n=%zu)\n", name, what, at(0.5), at(0.95),
                values.back(), values.size());
}

void first_audio(Module &module, const char *name, int rounds)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        module.speak(kSentences[i % std::size(kSentences)]);
        if (module.wait_for({"705-", "702 END", "703"}) == 0)
            times.push_back(ms_since(start));
        module.wait_for({"702 END", "703"});
    }
    print_stats(name, "SPEAK -> first audio", times);
}

void stop(Module &module, const char *name, int rounds)
{
    std::vector<double> to_event;
    std::vector<double> to_last_audio;
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += kLong;
    for (int i = 0; i < rounds; ++i) {
        module.speak(text);
        if (module.wait_for({"705 AUDIO"}) != 0)
            continue;
        // Let the synthesis get well under way before the stop.
        const auto under_way = Clock::now() + std::chrono::milliseconds(100);
        while (Clock::now() < under_way && module.wait_for({"705 AUDIO"}, 5) >= 0) {
        }
        const auto start = Clock::now();
        module.send("STOP\n");
        double last_audio = 0;
        for (;;) {
            const int got = module.wait_for({"705 AUDIO", "703", "702"}, 5000);
            if (got == 0) {
                last_audio = ms_since(start);
                continue;
            }
            if (got > 0)
                to_event.push_back(ms_since(start));
            break;
        }
        to_last_audio.push_back(last_audio);
    }
    print_stats(name, "STOP -> 703 STOP", to_event);
    print_stats(name, "STOP -> last audio", to_last_audio);
}

void memory(Module &module, const char *name, int utterances)
{
    for (int i = 0; i < 50; ++i) {
        module.speak(kSentences[i % std::size(kSentences)]);
        module.wait_for({"702 END", "703"});
    }
    const long before = module.rss_kb();
    for (int i = 0; i < utterances; ++i) {
        module.speak(kSentences[i % std::size(kSentences)]);
        module.wait_for({"702 END", "703"});
    }
    const long after = module.rss_kb();
    std::printf("%-14s %-22s %ld kB -> %ld kB after %d utterances: %+ld kB\n", name, "resident memory", before, after,
                utterances, after - before);
}

void run(const char *program, const char *name, int rounds)
{
    Module module(program, "/dev/null");
    if (!module.start("zh")) {
        std::printf("%-14s did not start (%s)\n", name, program);
        return;
    }
    first_audio(module, name, rounds);
    stop(module, name, 20);
    memory(module, name, 1000);
}

} // namespace

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const char *espeak = argc > 2 ? argv[2] : "/usr/lib/speech-dispatcher-modules/sd_espeak-ng";
    run(SD_LUMENO_FILE, "sd_lumeno", rounds);
    if (::access(espeak, X_OK) == 0)
        run(espeak, "sd_espeak-ng", rounds);
    else
        std::printf("sd_espeak-ng   not installed at %s\n", espeak);
    return 0;
}
