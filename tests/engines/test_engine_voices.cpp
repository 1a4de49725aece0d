// SPDX-License-Identifier: GPL-3.0-or-later
// Every voice of the catalogue through libmsc.so: it speaks its language at a plausible length
// and level, and the voices of one engine type are told apart by pitch or timbre.

#include "engine_client.h"
#include "voices/voice_table.h"
#include "voice_profiles.h"

#include <QCryptographicHash>
#include <QHash>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

class TestEngineVoices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyVoice_speaksLikeEspeakWithItsProfile();
    void voicesOfOneType_soundDifferent();
    void voices_fitTheirDescriptions();
    void allVoices_giveDistinctAudioForOneText();
    void dialectVoices_sayTheirDialectsTones();

private:
    struct Heard {
        QString id;
        QString description;
        QString language;
        int type = 0;
        double f0 = 0.0;       // median fundamental, Hz
        double centroid = 0.0; // mean spectral centroid of voiced frames, Hz
    };

    EngineClient m_engine;
    std::vector<Heard> m_heard;
};

namespace {

// A short sentence in the language of each voice, in UTF-8.
QByteArray sentence_for(const speech::VoiceProfile &profile)
{
    const QString language = QString::fromStdString(profile.espeak_voice).section(u'+', 0, 0);
    if (language == u"cmn-latn-pinyin" || language == u"yue")
        return "今天天气很好，我们出去走走吧。";
    if (language.startsWith(u"en"))
        return "The weather is lovely today, let us go for a walk.";
    if (language == u"fr")
        return "Il fait très beau aujourd'hui, allons nous promener.";
    if (language == u"ug")
        return "بۈگۈن ھاۋا ناھايىتى ياخشى، سەيلە قىلايلى.";
    if (language == u"ru")
        return "Сегодня прекрасная погода, пойдём гулять.";
    if (language == u"es")
        return "Hoy hace muy buen tiempo, vamos a pasear.";
    if (language == u"hi")
        return "आज मौसम बहुत अच्छा है, चलो घूमने चलते हैं।";
    return "Hôm nay trời rất đẹp, chúng ta đi dạo nhé.";
}

// The samples of the data chunk of a 16-bit WAV as espeak-ng --stdout writes it.
std::vector<short> wav_samples(const QByteArray &wav)
{
    const qsizetype data = wav.indexOf("data");
    if (data < 0)
        return {};
    std::vector<short> out(static_cast<std::size_t>((wav.size() - data - 8) / 2));
    std::memcpy(out.data(), wav.constData() + data + 8, out.size() * 2);
    return out;
}

// F0 of one voiced frame by autocorrelation, refined below one sample; 0 when unvoiced.
double frame_f0(const std::vector<short> &pcm, std::size_t start, std::size_t frame, int rate)
{
    if (pcm::rms(pcm, start, start + frame) < 800.0)
        return 0.0;
    const int min_lag = rate / 600;
    const int max_lag = rate / 60;
    const auto correlation = [&](int lag) {
        double sum = 0.0;
        for (std::size_t i = start; i + static_cast<std::size_t>(lag) < start + frame; ++i)
            sum += double(pcm[i]) * pcm[i + static_cast<std::size_t>(lag)];
        return sum;
    };
    double best = 0.0;
    int best_lag = 0;
    for (int lag = min_lag; lag <= max_lag; ++lag) {
        const double sum = correlation(lag);
        if (sum > best) {
            best = sum;
            best_lag = lag;
        }
    }
    if (best_lag == 0 || best_lag == max_lag || best < 0.4 * correlation(0))
        return 0.0;
    // A parabola through the peak and its neighbours.
    const double left = correlation(best_lag - 1);
    const double right = correlation(best_lag + 1);
    const double curvature = left - 2.0 * best + right;
    const double offset = curvature < 0.0 ? 0.5 * (left - right) / curvature : 0.0;
    return double(rate) / (best_lag + offset);
}

// F0 of the voiced 40 ms frames, half a frame apart.
std::vector<double> f0_track(const std::vector<short> &pcm, int rate)
{
    const std::size_t frame = static_cast<std::size_t>(rate / 25);
    std::vector<double> track;
    for (std::size_t start = 0; start + frame <= pcm.size(); start += frame / 2) {
        if (const double f0 = frame_f0(pcm, start, frame, rate); f0 > 0.0)
            track.push_back(f0);
    }
    return track;
}

// Median F0 of the voiced frames, and their mean spectral centroid (from the zero-crossing
// density of the first difference, a cheap stand-in).
void measure(const std::vector<short> &pcm, int rate, double &f0, double &centroid)
{
    const std::size_t frame = static_cast<std::size_t>(rate / 25);
    std::vector<double> pitches;
    double crossings = 0.0;
    for (std::size_t start = 0; start + frame <= pcm.size(); start += frame / 2) {
        const double pitch = frame_f0(pcm, start, frame, rate);
        if (pitch <= 0.0)
            continue;
        pitches.push_back(pitch);
        int zc = 0;
        for (std::size_t i = start + 2; i < start + frame; ++i) {
            const int d1 = pcm[i] - pcm[i - 1];
            const int d0 = pcm[i - 1] - pcm[i - 2];
            if ((d1 >= 0) != (d0 >= 0))
                ++zc;
        }
        crossings += double(zc) * rate / (2.0 * double(frame));
    }
    const std::size_t voiced = pitches.size();
    std::sort(pitches.begin(), pitches.end());
    f0 = pitches.empty() ? 0.0 : pitches[voiced / 2];
    centroid = voiced > 0 ? crossings / double(voiced) : 0.0;
}

// Start, middle and end F0 (means of the first, middle and last fifth) of one syllable.
struct Contour {
    double start = 0.0;
    double middle = 0.0;
    double end = 0.0;
};

Contour contour(const EngineClient &engine, const char *voice, const char *syllable)
{
    const auto result = engine.synthesise(session_params({{"vcn", voice}, {"tte", "UTF8"}, {"aue", "raw"}}), syllable);
    const std::vector<double> track = f0_track(result.pcm, 16000);
    const std::size_t n = track.size();
    const auto mean = [&track](std::size_t from, std::size_t to) {
        double sum = 0.0;
        for (std::size_t i = from; i < to; ++i)
            sum += track[i];
        return sum / double(to - from);
    };
    if (n < 10)
        return {};
    const Contour c{mean(0, n / 5), mean(2 * n / 5, 3 * n / 5), mean(n - n / 5, n)};
    qInfo("%-8s %s  F0 %5.0f %5.0f %5.0f Hz", voice, syllable, c.start, c.middle, c.end);
    return c;
}

} // namespace

void TestEngineVoices::initTestCase()
{
    QVERIFY2(m_engine.loaded(), qPrintable(m_engine.error()));
    QCOMPARE(m_engine.init(EngineClient::config().constData()), QTTS_SUCCESS);
}

void TestEngineVoices::cleanupTestCase()
{
    m_engine.fini();
}

void TestEngineVoices::everyVoice_speaksLikeEspeakWithItsProfile()
{
    int type = 0;
    for (const auto &engine_type : voices::engine_types()) {
        for (const auto &voice : engine_type.voices) {
            speech::VoiceProfile profile;
            QVERIFY(speech::voice_profile(voice.id, profile));
            const QByteArray text = sentence_for(profile);
            const auto result =
                m_engine.synthesise(session_params({{"vcn", voice.id}, {"tte", "UTF8"}, {"aue", "raw"}}), text);
            QCOMPARE(result.audio_error, QTTS_SUCCESS);

            // espeak-ng on its own with the same voice, speed and pitch.
            QProcess espeak;
            espeak.start(QStringLiteral("espeak-ng"),
                         {u"-v"_qs, QString::fromStdString(profile.espeak_voice), u"-s"_qs,
                          QString::number(profile.base_rate), u"-p"_qs, QString::number(profile.pitch), u"--stdout"_qs,
                          QString::fromUtf8(text)});
            QVERIFY(espeak.waitForFinished(30000));
            const std::vector<short> reference = wav_samples(espeak.readAllStandardOutput());
            QVERIFY(!reference.empty());

            const double length = double(result.pcm.size()) / 16000.0;
            const double expected = double(reference.size()) / 22050.0;
            QVERIFY2(length > 0.85 * expected && length < 1.15 * expected,
                     qPrintable(u"%1: %2 s, espeak-ng alone %3 s"_qs.arg(voice.id).arg(length).arg(expected)));
            // At medium volume the engine is 4 dB below espeak-ng's own level.
            const double level = pcm::rms(result.pcm);
            const double expected_level = pcm::rms(reference) * 0.63;
            QVERIFY2(level > 0.7 * expected_level && level < 1.4 * expected_level,
                     qPrintable(u"%1: level %2, expected about %3"_qs.arg(voice.id).arg(level).arg(expected_level)));

            Heard heard;
            heard.id = QString::fromLatin1(voice.id);
            heard.description = QString::fromUtf8(voice.description);
            heard.language = QString::fromStdString(profile.espeak_voice).section(u'+', 0, 0);
            heard.type = type;
            measure(result.pcm, 16000, heard.f0, heard.centroid);
            m_heard.push_back(heard);
            qInfo("%-12s %-26s f0 %6.1f Hz centroid %6.0f Hz", voice.id, profile.espeak_voice.c_str(), heard.f0,
                  heard.centroid);
        }
        ++type;
    }
    QCOMPARE(m_heard.size(), std::size_t(41));
}

void TestEngineVoices::voicesOfOneType_soundDifferent()
{
    QVERIFY(!m_heard.empty());
    for (std::size_t i = 0; i < m_heard.size(); ++i) {
        for (std::size_t j = i + 1; j < m_heard.size(); ++j) {
            const Heard &a = m_heard[i];
            const Heard &b = m_heard[j];
            // Voices of two languages are told apart by their language.
            if (a.type != b.type || a.language != b.language)
                continue;
            const double semitones = std::fabs(std::log2(a.f0 / b.f0)) * 12.0;
            QVERIFY2(semitones > 0.35, qPrintable(u"%1 and %2: %3 semitones apart"_qs.arg(a.id, b.id).arg(semitones)));
        }
    }
}

void TestEngineVoices::voices_fitTheirDescriptions()
{
    // Within each engine type: men below women below children.
    for (int type = 0; type < 4; ++type) {
        double highest_male = 0.0;
        double lowest_female = 1e9;
        double highest_female = 0.0;
        double lowest_child = 1e9;
        for (const Heard &h : m_heard) {
            if (h.type != type)
                continue;
            if (h.description.contains(u"男声"))
                highest_male = std::max(highest_male, h.f0);
            else if (h.description.startsWith(u"青年女声")) {
                lowest_female = std::min(lowest_female, h.f0);
                highest_female = std::max(highest_female, h.f0);
            } else if (h.description.contains(u"童声"))
                lowest_child = std::min(lowest_child, h.f0);
        }
        QVERIFY2(highest_male < lowest_female, qPrintable(QString::number(type)));
        QVERIFY2(highest_female < lowest_child, qPrintable(QString::number(type)));
    }
    QVERIFY(
        std::any_of(m_heard.begin(), m_heard.end(), [](const Heard &h) { return h.description.contains(u"童声"); }));
}

void TestEngineVoices::allVoices_giveDistinctAudioForOneText()
{
    QHash<QByteArray, QString> heard;
    for (const auto &engine_type : voices::engine_types()) {
        for (const auto &voice : engine_type.voices) {
            const auto result = m_engine.synthesise(
                session_params({{"vcn", voice.id}, {"tte", "UTF8"}, {"aue", "raw"}}), "这是一个测试，voice test 2个。");
            QCOMPARE(result.audio_error, QTTS_SUCCESS);
            const QByteArray audio(reinterpret_cast<const char *>(result.pcm.data()),
                                   static_cast<qsizetype>(result.pcm.size() * 2));
            const QByteArray digest = QCryptographicHash::hash(audio, QCryptographicHash::Sha256);
            const QString id = QString::fromLatin1(voice.id);
            QVERIFY2(!heard.contains(digest), qPrintable(id + u" sounds exactly like "_qs + heard.value(digest)));
            heard.insert(digest, id);
        }
    }
    QCOMPARE(heard.size(), 41);
}

void TestEngineVoices::dialectVoices_sayTheirDialectsTones()
{
    // 妈 麻 马 骂: one syllable of each Mandarin tone.
    const char *syllables[] = {"妈", "麻", "马", "骂"};
    std::map<std::string, std::vector<Contour>> heard;
    for (const char *voice : {"vixy", "vixr", "vixying"}) {
        for (const char *syllable : syllables)
            heard[voice].push_back(contour(m_engine, voice, syllable));
    }
    const auto &mandarin = heard["vixy"];
    const auto &chengdu = heard["vixr"];
    const auto &xian = heard["vixying"];
    // Mandarin's third tone dips and rises at the end; Chengdu's 上声 53 falls from high.
    QVERIFY(mandarin[2].end > mandarin[2].middle);
    QVERIFY(chengdu[2].end < 0.95 * chengdu[2].start);
    QVERIFY(chengdu[2].start > chengdu[0].start);
    // Chengdu's 阳平 21 lies below its 阴平 55, where Mandarin's 35 rises to it.
    QVERIFY(chengdu[1].middle < 0.9 * chengdu[0].middle);
    QVERIFY(mandarin[1].end > mandarin[1].start);
    // Xi'an's 阴平 21 lies below its 阳平 24; in Mandarin 阴平 55 is the higher one.
    QVERIFY(xian[0].middle < xian[1].middle);
    QVERIFY(mandarin[0].middle > mandarin[1].middle);
}

QTEST_GUILESS_MAIN(TestEngineVoices)
#include "test_engine_voices.moc"
