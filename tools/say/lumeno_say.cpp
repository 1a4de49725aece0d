// SPDX-License-Identifier: GPL-3.0-or-later
// lumeno-say: speaks a text from the command line, a file or standard input with the same
// engine, voices and session parameters as the window. Long texts stream: they are spoken
// batch by batch by worker processes and written or played as the audio comes.
#include "engine/carried_images.h"
#include "engine/tts_engine.h"
#include "platform/gbk.h"
#include "platform/pcm_format.h"
#include "platform/sound_output.h"
#include "say/background_sink.h"
#include "say/batch_worker.h"
#include "say/book_job.h"
#include "say/interrupt.h"
#include "say/output_set.h"
#include "say/play_stream.h"
#include "say/progress_line.h"
#include "say/say_reading.h"
#include "say/say_request.h"
#include "say/wav_stream.h"
#include "text/text_limit.h"
#include "text/text_to_gbk.h"
#include "voices/speed_scale.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace {

// Speech a GBK byte of text makes at most, in seconds at the normal speed: about a quarter
// second per Chinese character (two bytes) with some room.
constexpr double kSecondsPerByte = 0.15;

struct Job {
    BookSource source;
    QString name; // for messages
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

QString batch_output(const QString &input, const QString &output_dir)
{
    const QFileInfo info(input == QLatin1StringView("-") ? QStringLiteral("stdin") : input);
    const QString name = info.completeBaseName() + QStringLiteral(".wav");
    return output_dir.isEmpty() ? info.dir().filePath(name) : QDir(output_dir).filePath(name);
}

// The file a path names, whatever links lead to it: device and inode; nothing when it does
// not exist.
std::optional<std::pair<dev_t, ino_t>> file_identity(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
}

// Two inputs named alike in different folders would write one output twice, and an output
// that is an input (by name, symbolic or hard link) would destroy it: both are refused before
// anything is written.
QString clashing_outputs(const QList<Job> &jobs)
{
    QSet<QString> inputs;
    std::set<std::pair<dev_t, ino_t>> input_files;
    for (const Job &job : jobs) {
        if (job.source.file.isEmpty() || job.source.file == u"-")
            continue;
        inputs.insert(QFileInfo(job.source.file).absoluteFilePath());
        if (const auto identity = file_identity(job.source.file))
            input_files.insert(*identity);
    }
    QHash<QString, QString> seen;
    for (const Job &job : jobs) {
        if (job.output.isEmpty())
            continue;
        const QString out = QFileInfo(job.output).absoluteFilePath();
        const auto identity = file_identity(job.output);
        if (inputs.contains(out) || (identity && input_files.count(*identity) > 0))
            return QStringLiteral("the output %1 is an input file").arg(job.output);
        if (seen.contains(out))
            return QStringLiteral("%1 and %2 would both be written to %3; give them separate --output-dir runs")
                .arg(seen.value(out), job.name, job.output);
        seen.insert(out, job.name);
    }
    return {};
}

// How many times longer than at the voice's own speed the speech runs at this speed position.
double duration_factor(int speed_position)
{
    const QByteArray word = SessionParams::speed_word(speed_position);
    const int speed = voices::speed_of_word(std::string_view(word.constData(), static_cast<std::size_t>(word.size())));
    // A position without a word errs long: the slowest.
    return 1.0 / voices::speed_factor(std::max(speed, 0));
}

QString not_text(const QString &name)
{
    return QStringLiteral("%1 is not text (it has NUL bytes or control characters)").arg(name);
}

// The output file of a job: its kind and parts. Empty, or why it cannot be written.
QString file_spec(const SayRequest &request, const Job &job, const PcmFormat &format, OutputSet::FileSpec &file)
{
    file.path = job.output;
    file.format = format;
    file.quality = request.quality;
    if (!job.output.isEmpty()) {
        const std::optional<AudioFileKind> kind = audio_file_kind(job.output);
        if (!kind)
            return QStringLiteral("%1: unknown audio file type (use .wav, .mp3, .ogg, .opus or .flac)").arg(job.output);
        file.kind = *kind;
    }
    if (request.split_minutes > 0)
        file.part_bytes = qint64{request.split_minutes} * 60 * format.bytes_per_second();
    return {};
}

// A WAV file holds at most 4 GiB: a text whose speech could pass it (or a part length that
// could) is refused before anything is written. Empty, or why.
QString wav_too_long(const SayRequest &request, const Job &job, const OutputSet::FileSpec &file, qint64 gbk_bytes)
{
    if (file.kind != AudioFileKind::Wav || job.output.isEmpty())
        return {};
    const qint64 bytes_per_second = file.format.bytes_per_second();
    // The most one piece may add after a part has reached its length.
    const double piece_most = kTextLimit * kSecondsPerByte * 2.0 * bytes_per_second;
    const double expected = gbk_bytes * kSecondsPerByte * duration_factor(request.options.speed) * bytes_per_second;
    const bool too_long =
        request.split_minutes > 0 ? file.part_bytes + piece_most > WavStream::kMaxData : expected > WavStream::kMaxData;
    if (!too_long)
        return {};
    return QStringLiteral("%1: the speech could pass a WAV file's 4 GiB limit; use --split-minutes (at most %2 "
                          "minutes at this rate) or a compressed format such as .flac or .mp3")
        .arg(job.name)
        .arg(static_cast<qint64>((WavStream::kMaxData - piece_most) / bytes_per_second / 60));
}

// The exit code and message of a job that did not end Done.
int book_failure(BookResult result, const SayRequest &request, const Job &job, const BookJob &book,
                 const QString &sink_error = {})
{
    switch (result) {
    case BookResult::Done:
    case BookResult::Streamed:
        break;
    case BookResult::Interrupted:
        return fail(ExitCode::Interrupted, QStringLiteral("interrupted; nothing was written"));
    case BookResult::Unreadable:
        return fail(ExitCode::UnreadableInput,
                    book.message().isEmpty() ? QStringLiteral("cannot read %1").arg(job.name) : book.message());
    case BookResult::NotText:
        return fail(ExitCode::UnreadableInput, not_text(job.name));
    case BookResult::NothingToSay:
        return fail(ExitCode::NothingToSpeak, QStringLiteral("%1: nothing to speak").arg(job.name));
    case BookResult::EngineFailure:
        return fail(ExitCode::EngineFailure, QStringLiteral("%1: %2").arg(job.name, book.message()));
    case BookResult::TooDeep:
        return fail(ExitCode::UnreadableInput,
                    QStringLiteral("%1: the SSML nests its elements too deeply: reopened at the start of every "
                                   "piece of %2 bytes, they would leave too little room for the text")
                        .arg(job.name)
                        .arg(kTextLimit));
    case BookResult::Unencodable:
        return fail(ExitCode::UnreadableInput,
                    QStringLiteral("%1: the text has characters that the text encoding %2 cannot hold; choose "
                                   "--text-encoding GBK, GB18030 or UTF8")
                        .arg(job.name, QString::fromLatin1(request.options.text_encoding_text)));
    case BookResult::SinkFailure:
        return fail(sink_error.contains(u"4 GiB") ? ExitCode::TooLong : ExitCode::UnwritableOutput, sink_error);
    }
    return 0;
}

// Speaks one job into its output set; the exit code.
int speak(const SayRequest &request, const Job &job, BookJob &book, const OutputSet::FileSpec &file)
{
    OutputSet output(file);
    if (request.play) {
        auto player = std::make_unique<PlayStream>(file.format, [] { return interrupt::requested(); });
        if (!player->open())
            return fail(ExitCode::NoSound, player->error());
        output.add(std::move(player));
    }
    // Compressing costs about as much as speaking: it gets a thread of its own.
    std::optional<BackgroundSink> background;
    if (!file.path.isEmpty() && file.kind != AudioFileKind::Wav)
        background.emplace(output);
    AudioSink &sink = background ? static_cast<AudioSink &>(*background) : output;
    ProgressLine progress(stderr, !request.quiet);
    const BookResult result =
        book.run(sink, [&](const BookProgress &p) { progress.update(p.done, p.total, p.audio_seconds); });
    progress.clear();
    if (result != BookResult::Done)
        return book_failure(result, request, job, book, sink.error());
    if (!sink.finish())
        return fail(interrupt::requested() ? ExitCode::Interrupted : ExitCode::UnwritableOutput, sink.error());
    return 0;
}

int run_job(const SayRequest &request, const Job &job, const BookWorkers &workers, const PcmFormat &format)
{
    BookSource source = job.source;
    source.ssml = SessionParams::text_type_word(request.options.text_type) == "ssml";
    BookJob book(std::move(source), workers, kTextLimit, format);
    qint64 gbk_bytes = -1;
    const BookResult loaded = book.load_input(&gbk_bytes);
    if (loaded != BookResult::Done && loaded != BookResult::Streamed)
        return book_failure(loaded, request, job, book);
    OutputSet::FileSpec file;
    if (const QString problem = file_spec(request, job, format, file); !problem.isEmpty())
        return fail(ExitCode::BadOption, problem);
    if (const QString problem = wav_too_long(request, job, file, gbk_bytes); !problem.isEmpty())
        return fail(ExitCode::TooLong, problem);
    return speak(request, job, book, file);
}

// The reading preview takes a text whole: it is for sentences, not books. Empty, or why the
// text cannot be had.
QString whole_text(const BookSource &source, const QString &name, QByteArray &gbk_text)
{
    if (source.file.isEmpty()) {
        gbk_text = source.text;
        return {};
    }
    QFile file;
    const bool opened = source.file == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                            : (file.setFileName(source.file), file.open(QIODevice::ReadOnly));
    if (!opened)
        return QStringLiteral("cannot read %1: %2").arg(name, file.errorString());
    TextToGbk decoder(source.gbk ? TextToGbk::Encoding::Gbk : TextToGbk::Encoding::Undecided);
    if (!decoder.feed(file.readAll(), gbk_text) || !decoder.finish(gbk_text))
        return not_text(name);
    return {};
}

int run(const SayRequest &request)
{
    QList<Job> jobs;
    if (request.files.isEmpty()) {
        Job job;
        job.name = request.texts.isEmpty() ? QStringLiteral("standard input") : QStringLiteral("text");
        // Arguments arrive as text already; standard input is told apart like a file.
        if (request.texts.isEmpty())
            job.source = {QStringLiteral("-"), {}, request.gbk_input};
        else
            job.source = {{}, gbk::encode(request.texts.join(u' ')), true};
        job.output = request.output.isEmpty() && !request.output_dir.isEmpty()
                         ? QDir(request.output_dir).filePath(QStringLiteral("lumeno-say.wav"))
                         : request.output;
        jobs.append(job);
    }
    const bool batch = request.files.size() > 1 || !request.output_dir.isEmpty();
    for (const QString &file : request.files)
        jobs.append(
            {{file, {}, request.gbk_input}, file, batch ? batch_output(file, request.output_dir) : request.output});
    if (const QString clash = clashing_outputs(jobs); !clash.isEmpty())
        return fail(ExitCode::BadOption, clash);

    const QString program_folder = QCoreApplication::applicationDirPath();
    // The same libraries as the window, found or placed by the same rule, so the tool works
    // on its own wherever it is; the workers then find them where they were placed.
    TtsEngine engine(carried_engine_images(), LibraryFolders::for_program(program_folder));
    engine.deploy();

    const QByteArray params = SessionParams::build(request.options);
    for (int i = 0; request.reading && i < jobs.size(); ++i) {
        QByteArray text;
        if (const QString problem = whole_text(jobs[i].source, jobs[i].name, text); !problem.isEmpty())
            return fail(ExitCode::UnreadableInput, problem);
        if (const int failed = print_reading(engine, params, text); failed != 0 || i + 1 == jobs.size())
            return failed;
    }
    // The audio comes as the session's audio format says.
    const PcmFormat format = PcmFormat::for_audio_format(request.options.audio_format_text);
    // The workers load the library from where this process placed it, deploying nothing.
    const BookWorkers workers{QCoreApplication::applicationFilePath(),
                              batch_worker_arguments(engine.library_path(), params),
                              worker_count(request.jobs, static_cast<int>(std::thread::hardware_concurrency()))};
    for (const Job &job : jobs) {
        if (const int code = run_job(request, job, workers, format); code != 0)
            return code;
    }
    return 0;
}

int run_worker(const QString &engine_library, const QByteArray &params)
{
    TtsEngine engine(carried_engine_images(), LibraryFolders::for_program(QCoreApplication::applicationDirPath()));
    engine.use_library(engine_library);
    return run_batch_worker(engine, params);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumeno-say"));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 3 && arguments[0] == QLatin1StringView(kBatchWorkerFlag))
        return run_worker(arguments[1], arguments[2].toLatin1());
    interrupt::install();
    const ParseResult parsed = parse_say_arguments(arguments);
    if (parsed.error != ExitCode::Ok)
        return fail(parsed.error, parsed.message + QStringLiteral("\n(lumeno-say --help lists the options)"));
    if (parsed.request.help) {
        print(stdout, say_usage());
        return 0;
    }
    if (parsed.request.version) {
        print(stdout, say_version());
        return 0;
    }
    const int processors = static_cast<int>(std::thread::hardware_concurrency());
    if (const int jobs = worker_count(parsed.request.jobs, processors); jobs < parsed.request.jobs)
        print(stderr, QStringLiteral("lumeno-say: --jobs %1 is more than %2 processors can use; using %3 worker "
                                     "processes (at most %4 per processor)\n")
                          .arg(parsed.request.jobs)
                          .arg(std::max(1, processors))
                          .arg(jobs)
                          .arg(kJobsPerProcessor));
    if (parsed.request.list_voices) {
        print(stdout, voice_listing());
        return 0;
    }
    const QByteArray sound = qgetenv("LUMENO_SOUND");
    if (parsed.request.play && !sound.isEmpty() && sound != "alsa" && sound != "null")
        return fail(
            ExitCode::NoSound,
            QStringLiteral("LUMENO_SOUND=%1: no such sound output (alsa or null)").arg(QString::fromLocal8Bit(sound)));
    return run(parsed.request);
}
