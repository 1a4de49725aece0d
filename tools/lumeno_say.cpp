// lumeno-say: speaks a text from the command line, a file or standard input with the same
// engine, voices, session parameters and WAV container as the window.
#include "audio/audio_player.h"
#include "audio/wav_builder.h"
#include "engine/blocking_synthesis.h"
#include "engine/carried_images.h"
#include "engine/tts_engine.h"
#include "platform/file_replace.h"
#include "platform/gbk.h"
#include "say_reading.h"
#include "say_request.h"
#include "text/sentence_split.h"
#include "text/text_limit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

// Without audio for this long the engine is taken as stuck (its own time-out is 10 s).
constexpr int kNoAudioTimeoutMs = 15000;

struct Job {
    QString source;  // for messages
    QByteArray text; // GBK
    QString output;
};

void print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
}

int fail(ExitCode code, const QString &message)
{
    print(stderr, QStringLiteral("lumeno-say: ") + message + u'\n');
    return static_cast<int>(code);
}

QByteArray to_engine_text(QByteArray bytes, bool gbk_input)
{
    if (gbk_input)
        return bytes;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return gbk::encode(QString::fromUtf8(bytes));
}

bool read_input(const QString &file, QByteArray &bytes)
{
    const bool from_stdin = file == QLatin1StringView("-");
    QFile in(from_stdin ? QString() : file);
    const bool opened = from_stdin ? in.open(stdin, QIODevice::ReadOnly) : in.open(QIODevice::ReadOnly);
    if (!opened)
        return false;
    bytes = in.readAll();
    return in.error() == QFileDevice::NoError;
}

QString batch_output(const QString &input, const QString &output_dir)
{
    const QFileInfo info(input == QLatin1StringView("-") ? QStringLiteral("stdin") : input);
    const QString name = info.completeBaseName() + QStringLiteral(".wav");
    return output_dir.isEmpty() ? info.dir().filePath(name) : QDir(output_dir).filePath(name);
}

int run(const SayRequest &request)
{
    QList<Job> jobs;
    if (request.files.isEmpty()) {
        // Arguments arrive as text already; --gbk concerns files and standard input.
        QByteArray text = gbk::encode(request.texts.join(u' '));
        if (request.texts.isEmpty()) {
            QByteArray bytes;
            if (!read_input(QStringLiteral("-"), bytes))
                return fail(ExitCode::UnreadableInput, QStringLiteral("cannot read standard input"));
            text = to_engine_text(bytes, request.gbk_input);
        }
        const QString output = request.output.isEmpty() && !request.output_dir.isEmpty()
                                   ? QDir(request.output_dir).filePath(QStringLiteral("lumeno-say.wav"))
                                   : request.output;
        jobs.append({QStringLiteral("text"), text, output});
    }
    for (const QString &file : request.files) {
        QByteArray bytes;
        if (!read_input(file, bytes))
            return fail(ExitCode::UnreadableInput, QStringLiteral("cannot read %1").arg(file));
        const bool batch = request.files.size() > 1 || !request.output_dir.isEmpty();
        const QString output = batch ? batch_output(file, request.output_dir) : request.output;
        jobs.append({file, to_engine_text(bytes, request.gbk_input), output});
    }

    const QString program_folder = QCoreApplication::applicationDirPath();
    // The same libraries as the window, found or placed by the same rule, so the tool works
    // on its own wherever it is.
    TtsEngine engine(carried_engine_images(), LibraryFolders::for_program(program_folder));
    engine.deploy();
    if (const int init = engine.start_engine(); init != 0)
        return fail(ExitCode::EngineFailure, QStringLiteral("the speech engine did not start (error %1)").arg(init));

    const QByteArray params = SessionParams::build(request.options);
    for (int i = 0; request.reading && i < jobs.size(); ++i) {
        if (const int failed = print_reading(engine, params, jobs[i].text); failed != 0 || i + 1 == jobs.size())
            return failed;
    }
    const quint32 rate = WavBuilder::sample_rate_for_format(request.options.audio_format);
    int code = 0;
    for (const Job &job : jobs) {
        QByteArray audio;
        // The engine takes at most the text limit at once: longer texts go sentence by sentence.
        for (const QByteArray &piece : split_for_engine(job.text, kTextLimit)) {
            const BlockingResult piece_result = synthesize_blocking(engine, params, piece, kNoAudioTimeoutMs);
            if (piece_result.error == kUnrepresentable) {
                code = fail(ExitCode::EngineFailure,
                            QStringLiteral("%1: the text has characters that %2 cannot represent")
                                .arg(job.source, QString::fromLatin1(request.options.text_encoding_text)));
                break;
            }
            if (piece_result.error != 0) {
                code = fail(ExitCode::EngineFailure,
                            QStringLiteral("%1: synthesis failed (error %2)").arg(job.source).arg(piece_result.error));
                break;
            }
            audio += piece_result.audio;
        }
        if (code == 0 && audio.isEmpty())
            code = fail(ExitCode::NothingToSay, QStringLiteral("%1: nothing to speak").arg(job.source));
        if (code != 0)
            break;
        const QByteArray wav = WavBuilder::wrap(audio, rate);
        if (!job.output.isEmpty()) {
            if (!replace_file(job.output, wav)) {
                code = fail(ExitCode::UnwritableOutput, QStringLiteral("cannot write %1").arg(job.output));
                break;
            }
        }
        if (request.play && AudioPlayer::play(wav)) {
            // Bytes per second of 16-bit mono, and some slack for the device.
            const qint64 duration_ms = audio.size() * 1000 / (rate * 2);
            AudioPlayer::wait_idle(static_cast<int>(duration_ms) + AudioPlayer::kWatchdogMs);
        }
    }
    engine.finalise();
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumeno-say"));
    const ParseResult parsed = parse_say_arguments(QCoreApplication::arguments().mid(1));
    if (parsed.error != ExitCode::Ok)
        return fail(parsed.error, parsed.message + QStringLiteral("\n(lumeno-say --help lists the options)"));
    if (parsed.request.help) {
        print(stdout, say_usage());
        return 0;
    }
    if (parsed.request.list_voices) {
        print(stdout, voice_listing());
        return 0;
    }
    return run(parsed.request);
}
