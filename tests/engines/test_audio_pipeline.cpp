// SPDX-License-Identifier: GPL-3.0-or-later
// The audio path after espeak-ng: resampling, melody, volume and limiter, the speex round trip.

#include "audio_pipeline.h"
#include "codec_library.h"
#include "melody.h"
#include "peak_limiter.h"

#include <QProcess>
#include <QTest>
#include <cmath>
#include <cstring>
#include <numbers>

using namespace speech;

class TestAudioPipeline : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void codecLibrary_refusesOtherLibraries();
    void pipeline_deliversTheOutputRate_data();
    void pipeline_deliversTheOutputRate();
    void codec_keepsTheSignalInPlace_data();
    void codec_keepsTheSignalInPlace();
    void codec_losesLessAtHigherQuality();
    void limiter_neverPassesTheCeiling();
    void melody_playsOnlyPentatonicNotes();
    void melody_fadesOutAfterTheSpeech();

private:
    std::unique_ptr<CodecLibrary> m_codec;
};

namespace {

constexpr int espeak_rate = 22050;

// A voiced, speech-like test signal: a 140 Hz harmonic series under a 4 Hz syllable envelope.
std::vector<short> voiced_signal(int rate, double seconds, double level = 0.4)
{
    std::vector<short> out(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double v = 0.0;
        for (int h = 1; h <= 12; ++h)
            v += std::sin(2.0 * std::numbers::pi * 140.0 * h * t) / h;
        const double syllable = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * 4.0 * t);
        out[i] = static_cast<short>(std::lround(level * 0.5 * v * syllable * 32767.0));
    }
    return out;
}

std::vector<short> run(const PipelineSettings &settings, const CodecLibrary *codec, const std::vector<short> &in)
{
    AudioPipeline pipeline(settings, codec);
    std::vector<short> out;
    // Pieces of espeak-ng's 50 ms buffer size.
    for (std::size_t i = 0; i < in.size(); i += 1102) {
        const std::size_t count = std::min<std::size_t>(1102, in.size() - i);
        if (!pipeline.process(in.data() + i, count, out))
            return {};
    }
    if (!pipeline.finish(out))
        return {};
    return out;
}

// Mandarin speech from espeak-ng on its own, at its 22050 Hz.
std::vector<short> speech_signal()
{
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"),
                 {u"-v"_qs, u"cmn-latn-pinyin"_qs, u"--stdout"_qs, u"请在这里输入要合成的文本，今天天气很好。"_qs});
    if (!espeak.waitForFinished(30000))
        return {};
    const QByteArray wav = espeak.readAllStandardOutput();
    const qsizetype data = wav.indexOf("data");
    if (data < 0)
        return {};
    std::vector<short> samples(static_cast<std::size_t>((wav.size() - data - 8) / 2));
    std::memcpy(samples.data(), wav.constData() + data + 8, samples.size() * 2);
    return samples;
}

double snr_db(const std::vector<short> &reference, const std::vector<short> &test)
{
    double signal = 0.0;
    double noise = 0.0;
    const std::size_t n = std::min(reference.size(), test.size());
    for (std::size_t i = 0; i < n; ++i) {
        signal += double(reference[i]) * reference[i];
        noise += (double(reference[i]) - test[i]) * (double(reference[i]) - test[i]);
    }
    return 10.0 * std::log10(signal / std::max(noise, 1.0));
}

// Goertzel power of one frequency.
double power_at(const float *x, std::size_t n, double frequency, int rate)
{
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s0 = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - c * s1 * s2;
}

} // namespace

void TestAudioPipeline::initTestCase()
{
    m_codec = CodecLibrary::load(CODEC_FILE, {});
    QVERIFY2(m_codec != nullptr, CODEC_FILE);
    QVERIFY(m_codec->version().starts_with("1."));
}

void TestAudioPipeline::codecLibrary_refusesOtherLibraries()
{
    QVERIFY(CodecLibrary::load("libm.so.6", {}) == nullptr);
    QVERIFY(CodecLibrary::load("/nonexistent/libmsc_speex.so", {}) == nullptr);
    QVERIFY(CodecLibrary::load("libno_such_codec.so", {}) == nullptr);
    // A plain name is looked for in the given folder first.
    const std::string file = CODEC_FILE;
    const std::size_t slash = file.rfind('/');
    QVERIFY(CodecLibrary::load(file.substr(slash + 1), file.substr(0, slash)) != nullptr);
}

void TestAudioPipeline::pipeline_deliversTheOutputRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("codec_rate");
    QTest::addColumn<bool>("background");
    QTest::newRow("raw 16000") << 16000 << 0 << false;
    QTest::newRow("raw 8000") << 8000 << 0 << false;
    QTest::newRow("speex 8000") << 8000 << 8000 << false;
    QTest::newRow("speex-wb 16000") << 16000 << 16000 << false;
    QTest::newRow("speex at 16000") << 16000 << 8000 << false;
    QTest::newRow("speex-wb at 8000") << 8000 << 16000 << false;
    QTest::newRow("melody adds its fade-out") << 16000 << 0 << true;
}

void TestAudioPipeline::pipeline_deliversTheOutputRate()
{
    QFETCH(int, rate);
    QFETCH(int, codec_rate);
    QFETCH(bool, background);
    PipelineSettings settings;
    settings.input_rate = espeak_rate;
    settings.output_rate = rate;
    settings.codec_rate = codec_rate;
    settings.codec_quality = 8;
    settings.background = background;
    const std::vector<short> out = run(settings, m_codec.get(), voiced_signal(espeak_rate, 2.0));
    const double seconds = static_cast<double>(out.size()) / rate;
    const double expected = 2.0 + (background ? 0.8 : 0.0);
    QVERIFY2(std::fabs(seconds - expected) < 0.002, qPrintable(QString::number(seconds)));
}

void TestAudioPipeline::codec_keepsTheSignalInPlace_data()
{
    QTest::addColumn<int>("rate");
    QTest::newRow("narrowband") << 8000;
    QTest::newRow("wideband") << 16000;
}

void TestAudioPipeline::codec_keepsTheSignalInPlace()
{
    QFETCH(int, rate);
    PipelineSettings raw;
    raw.input_rate = espeak_rate;
    raw.output_rate = rate;
    PipelineSettings coded = raw;
    coded.codec_rate = rate;
    coded.codec_quality = 10;
    const std::vector<short> in = speech_signal();
    QVERIFY(in.size() > std::size_t(espeak_rate));
    const std::vector<short> a = run(raw, nullptr, in);
    const std::vector<short> b = run(coded, m_codec.get(), in);
    QCOMPARE(b.size(), a.size());
    // The codec's own delay is taken out: the best alignment is at lag 0.
    int best_lag = 0;
    double best = -1.0;
    for (int lag = -300; lag <= 300; ++lag) {
        double sum = 0.0;
        for (std::size_t i = 400; i + 400 < a.size(); ++i)
            sum += double(a[i]) * b[static_cast<std::size_t>(static_cast<long>(i) + lag)];
        if (sum > best) {
            best = sum;
            best_lag = lag;
        }
    }
    QVERIFY2(std::abs(best_lag) <= 2, qPrintable(QString::number(best_lag)));
}

void TestAudioPipeline::codec_losesLessAtHigherQuality()
{
    const std::vector<short> in = speech_signal();
    QVERIFY(!in.empty());
    for (const int rate : {8000, 16000}) {
        PipelineSettings raw;
        raw.input_rate = espeak_rate;
        raw.output_rate = rate;
        const std::vector<short> reference = run(raw, nullptr, in);
        PipelineSettings low = raw;
        low.codec_rate = rate;
        low.codec_quality = 0;
        PipelineSettings high = low;
        high.codec_quality = 10;
        const double low_snr = snr_db(reference, run(low, m_codec.get(), in));
        const double high_snr = snr_db(reference, run(high, m_codec.get(), in));
        QVERIFY2(high_snr > low_snr + 2.0, qPrintable(u"%1 dB vs %2 dB"_qs.arg(high_snr).arg(low_snr)));
        // And the audio really went through the codec: it is not a copy.
        QVERIFY(high_snr < 30.0);
    }
}

void TestAudioPipeline::limiter_neverPassesTheCeiling()
{
    // 0.125 s at full scale, then a second at a fifth of it.
    PeakLimiter limiter(16000, 0.9f);
    std::vector<float> samples(18000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::sin(static_cast<float>(i) * 0.05f) * (i < 2000 ? 1.0f : 0.2f);
    limiter.process(samples.data(), samples.size(), 2.5f);
    const auto peak_of = [&samples](std::size_t from, std::size_t to) {
        float peak = 0.0f;
        for (std::size_t i = from; i < to; ++i)
            peak = std::max(peak, std::fabs(samples[i]));
        return peak;
    };
    QVERIFY(peak_of(0, 2000) <= 0.9f + 1e-6f);
    QVERIFY(peak_of(0, 2000) > 0.85f);
    // Long after the peaks the quiet part is back at the full gain: 0.2 * 2.5.
    QVERIFY2(std::fabs(peak_of(16000, 18000) - 0.5f) < 0.01f, qPrintable(QString::number(peak_of(16000, 18000))));
}

void TestAudioPipeline::melody_playsOnlyPentatonicNotes()
{
    constexpr int rate = 16000;
    BackgroundMelody melody(rate);
    std::vector<float> samples(static_cast<std::size_t>(rate * 30));
    melody.mix_into(samples.data(), samples.size());
    double energy = 0.0;
    float peak = 0.0f;
    for (float v : samples) {
        energy += double(v) * v;
        peak = std::max(peak, std::fabs(v));
    }
    const double rms = std::sqrt(energy / samples.size());
    // Soft enough to stay under speech (espeak-ng speaks at about 0.1 RMS).
    QVERIFY2(rms > 0.005 && rms < 0.04, qPrintable(QString::number(rms)));
    QVERIFY(peak < 0.15f);

    // In every 0.2 s window the strongest of the twelve pitch classes (octaves 3 and 4) is one
    // of A C D E G, and several of them occur.
    QSet<int> heard;
    const std::size_t window = rate / 5;
    for (std::size_t start = rate; start + window < samples.size(); start += window) {
        int best_class = -1;
        double best = 0.0;
        for (int midi = 57; midi < 81; ++midi) {
            const double f = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
            const double p = power_at(samples.data() + start, window, f, rate);
            if (p > best) {
                best = p;
                best_class = midi % 12;
            }
        }
        QVERIFY2(QSet<int>({9, 0, 2, 4, 7}).contains(best_class), qPrintable(QString::number(best_class)));
        heard.insert(best_class);
    }
    QVERIFY(heard.size() >= 4);
}

void TestAudioPipeline::melody_fadesOutAfterTheSpeech()
{
    BackgroundMelody melody(8000);
    std::vector<float> body(8000 * 2);
    melody.mix_into(body.data(), body.size());
    std::vector<float> tail(melody.tail_samples());
    melody.mix_tail(tail.data(), tail.size());
    const auto peak_of = [](const float *x, std::size_t n) {
        float p = 0.0f;
        for (std::size_t i = 0; i < n; ++i)
            p = std::max(p, std::fabs(x[i]));
        return p;
    };
    const std::size_t tenth = tail.size() / 10;
    QVERIFY(peak_of(tail.data(), tenth) > 0.01f);
    QVERIFY(peak_of(tail.data() + tail.size() - tenth, tenth) < 0.2f * peak_of(tail.data(), tenth));
}

QTEST_GUILESS_MAIN(TestAudioPipeline)
#include "test_audio_pipeline.moc"
