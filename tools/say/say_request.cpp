// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/say_request.h"

#include "options/option_tables.h"
#include "options/voice_entries.h"
#include "platform/gbk.h"
#include "voices/voice_table.h"

#include <QCommandLineParser>
#include <algorithm>
#include <functional>

using option_tables::FixedList;

namespace {

using WordOf = std::function<QByteArray(int)>;

// A list entry named the way the window shows it, the way the engine is told it, or by its
// position: "较快", "fast" and "3" all pick the fourth speed.
int find_position(FixedList list, const QString &value, const WordOf &word = {})
{
    const QStringList items = option_tables::items(list);
    bool numeric = false;
    const int number = value.toInt(&numeric);
    if (numeric && number >= 0 && number < items.size())
        return number;
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].compare(value, Qt::CaseInsensitive) == 0)
            return i;
        if (word && QString::fromLatin1(word(i)).compare(value, Qt::CaseInsensitive) == 0)
            return i;
    }
    // "8000" names "audio/L16;rate=8000"; otherwise the window's rule: the first item that
    // begins with the text.
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].endsWith(u'=' + value, Qt::CaseInsensitive) || items[i].startsWith(value, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

struct VoiceMatch {
    int engine_type = -1;
    int position = -1;
    QByteArray id;
};

VoiceMatch find_voice(const QString &value)
{
    const auto types = voices::engine_types();
    // Ids first, exactly and then in any letter case; then names and display texts.
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t t = 0; t < types.size(); ++t) {
            const auto list = types[t].voices;
            for (std::size_t v = 0; v < list.size(); ++v) {
                const QString id = QString::fromUtf8(list[v].id);
                const QString name = QString::fromUtf8(list[v].name);
                const QString display = voice_display_text(list[v]);
                const bool hit = pass == 0   ? id == value
                                 : pass == 1 ? id.compare(value, Qt::CaseInsensitive) == 0
                                             : (name == value || display == value);
                if (hit)
                    return {static_cast<int>(t), static_cast<int>(v), QByteArray(list[v].id)};
            }
        }
    }
    return {};
}

QByteArray item_text(FixedList list, int position)
{
    const QStringList items = option_tables::items(list);
    return position >= 0 && position < items.size() ? gbk::encode(items[position]) : QByteArray();
}

int position_of(FixedList list, QStringView text)
{
    return static_cast<int>(option_tables::items(list).indexOf(text.toString()));
}

SynthesisOptions default_options()
{
    SynthesisOptions o;
    o.engine_type = option_tables::kDefaultEngineType;
    o.speed = position_of(FixedList::Speed, option_tables::kDefaultSpeed);
    o.volume = position_of(FixedList::Volume, option_tables::kDefaultVolume);
    o.text_type = option_tables::kDefaultTextType;
    o.numbers = option_tables::kDefaultNumbers;
    o.text_encoding = position_of(FixedList::TextEncoding, option_tables::kDefaultTextEncoding);
    o.background = option_tables::kDefaultBackground;
    o.audio_encoding = position_of(FixedList::AudioEncoding, option_tables::kDefaultAudioEncoding);
    o.audio_format = position_of(FixedList::AudioFormat, option_tables::kDefaultAudioFormat);
    o.voice = 0;
    o.voice_id = voices::engine_types()[0].voices[0].id;
    return o;
}

struct Choice {
    const char *option;
    FixedList list;
    int SynthesisOptions::*field;
    WordOf word;
};

} // namespace

QString say_usage()
{
    return QStringLiteral(
        "Usage: lumeno-say [options] [TEXT...]\n"
        "Speaks TEXT, the files given with --file, or standard input, and writes a WAV file or plays it.\n"
        "\n"
        "Input and output:\n"
        "  -f, --file FILE          read the text from FILE (\"-\": standard input); several files: one WAV each\n"
        "  -o, --output FILE        write the speech to FILE: .wav, .mp3, .ogg, .opus or .flac\n"
        "      --output-dir DIR     with several files: write NAME.wav for each into DIR (default: beside each)\n"
        "  -p, --play               play the speech (the default when no output is named)\n"
        "      --gbk                the input is GBK (default: UTF-8 when it is valid UTF-8, else GBK)\n"
        "      --quality Q          0 (smallest) to 10 (best) for .mp3 .ogg .opus .flac (default 4)\n"
        "      --split-minutes M    cut the output into numbered parts of about M minutes, at sentence ends\n"
        "  -j, --jobs N             speak with N worker processes (default: one per processor; at most\n"
        "                           two per processor)\n"
        "  -q, --quiet              no progress line\n"
        "      --list-voices        list the voices and their ids\n"
        "      --reading            print the pinyin the voice will speak instead of speaking\n"
        "  -h, --help               this help;  --version  the version\n"
        "\n"
        "Speech, by the window's item text, the engine's word or the list position:\n"
        "      --voice ID|NAME      e.g. xiaoyu or 小宇 (default xiaoyan)\n"
        "      --speed S            最慢 较慢 正常 较快 最快, or x-slow slow medium fast x-fast\n"
        "      --volume V           最低 较低 正常 较高 最高, or x-soft soft medium loud x-loud\n"
        "      --background B       无 or 梁祝 (0 or 1)\n"
        "      --numbers N          数值优先 完全数值 完全字符串 字符串优先 (0 to 3)\n"
        "      --ssml               the text is SSML (same as --text-type ssml)\n"
        "      --text-type T        普通 or ssml\n"
        "      --text-encoding E    AUTO GB2312 GBK BIG5 UNICODE GB18030 UTF8 (announced to the engine)\n"
        "      --audio-encoding A   raw amr amr-fx amr-wb amr-wb-fx speex speex-wb\n"
        "      --level L            compression level of the audio encoding\n"
        "      --format F           8000 or 16000 (audio/L16;rate=...)\n"
        "\n"
        "Exit codes: 0 done, 2 bad option, 3 unknown voice, 4 unreadable input, not text or a text the\n"
        "--text-encoding cannot hold, 5 engine failure, 6 output not writable (full disk, no permission),\n"
        "7 nothing to speak, 8 no sound output, 9 too long for a WAV file, 130 interrupted.\n");
}

QString say_version()
{
    return QStringLiteral("lumeno-say %1\n").arg(QStringLiteral(LUMENO_VERSION));
}

int worker_count(int asked, int processors)
{
    const int cores = std::max(1, processors);
    return asked <= 0 ? cores : std::min(asked, kJobsPerProcessor * cores);
}

QString voice_listing()
{
    QString out;
    for (const voices::EngineType &type : voices::engine_types()) {
        out += QString::fromUtf8(type.title) + u'\n';
        for (const voices::VoiceRecord &v : type.voices) {
            out += QStringLiteral("  %1  %2\n").arg(QString::fromUtf8(v.id).leftJustified(12), voice_display_text(v));
        }
    }
    return out;
}

namespace {

QCommandLineOption value_option(const char *names, const char *value)
{
    return QCommandLineOption(QString::fromLatin1(names).split(u','), QString(), QString::fromLatin1(value));
}

QCommandLineOption flag(const char *names)
{
    return QCommandLineOption(QString::fromLatin1(names).split(u','));
}

const Choice kChoices[] = {
    {"speed", FixedList::Speed, &SynthesisOptions::speed, SessionParams::speed_word},
    {"volume", FixedList::Volume, &SynthesisOptions::volume, SessionParams::volume_word},
    {"background", FixedList::Background, &SynthesisOptions::background, {}},
    {"numbers", FixedList::Numbers, &SynthesisOptions::numbers, {}},
    {"text-type", FixedList::TextType, &SynthesisOptions::text_type, SessionParams::text_type_word},
    {"text-encoding", FixedList::TextEncoding, &SynthesisOptions::text_encoding, {}},
    {"audio-encoding", FixedList::AudioEncoding, &SynthesisOptions::audio_encoding, {}},
    {"format", FixedList::AudioFormat, &SynthesisOptions::audio_format, {}},
};

// Every option lumeno-say takes, by the group it belongs to.
struct SayOptions {
    // Input and output.
    QCommandLineOption file = value_option("f,file", "file");
    QCommandLineOption output = value_option("o,output", "file");
    QCommandLineOption output_dir = value_option("output-dir", "dir");
    QCommandLineOption play = flag("p,play");
    QCommandLineOption gbk_input = flag("gbk");
    // Numbers with a range.
    QCommandLineOption jobs = value_option("j,jobs", "n");
    QCommandLineOption quality = value_option("quality", "q");
    QCommandLineOption split = value_option("split-minutes", "m");
    // What to do instead of speaking, and how much to say.
    QCommandLineOption list = flag("list-voices");
    QCommandLineOption reading = flag("reading");
    QCommandLineOption help = flag("h,help");
    QCommandLineOption version = flag("version");
    QCommandLineOption quiet = flag("q,quiet");
    // The speech: the window's choices, the voice, SSML and the compression level.
    QList<QCommandLineOption> choices;
    QCommandLineOption voice = value_option("voice", "voice");
    QCommandLineOption ssml = flag("ssml");
    QCommandLineOption level = value_option("level", "level");

    explicit SayOptions(QCommandLineParser &parser)
    {
        for (const Choice &choice : kChoices)
            choices.append(value_option(choice.option, "value"));
        parser.addOptions({file, output, output_dir, play, gbk_input, jobs, quality, split, list, reading, help,
                           version, quiet, voice, ssml, level});
        parser.addOptions(choices);
    }
};

// Records the failure; false, so a step can end with it.
bool refuse(ParseResult &result, ExitCode code, const QString &message)
{
    result.error = code;
    result.message = message;
    return false;
}

// An empty value is a mistake (an unset shell variable), never the first item of a list.
bool check_values_given(const QCommandLineParser &parser, ParseResult &result)
{
    for (const QString &name : parser.optionNames()) {
        const QStringList values = parser.values(name);
        if (std::any_of(values.begin(), values.end(), [](const QString &v) { return v.trimmed().isEmpty(); }))
            return refuse(result, ExitCode::BadOption, QStringLiteral("--%1: empty value").arg(name));
    }
    return true;
}

bool read_numbers(const QCommandLineParser &parser, const SayOptions &options, ParseResult &result)
{
    const struct {
        const QCommandLineOption &option;
        int SayRequest::*field;
        int low;
        int high;
    } numbers[] = {{options.jobs, &SayRequest::jobs, 1, 256},
                   {options.quality, &SayRequest::quality, 0, 10},
                   {options.split, &SayRequest::split_minutes, 1, 100000}};
    for (const auto &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        bool ok = false;
        const int value = parser.value(number.option).toInt(&ok);
        if (!ok || value < number.low || value > number.high)
            return refuse(result, ExitCode::BadOption,
                          QStringLiteral("--%1: a whole number from %2 to %3, not %4")
                              .arg(number.option.names().constLast())
                              .arg(number.low)
                              .arg(number.high)
                              .arg(parser.value(number.option)));
        result.request.*number.field = value;
    }
    return true;
}

void read_input_output(const QCommandLineParser &parser, const SayOptions &options, SayRequest &request)
{
    request.quiet = parser.isSet(options.quiet);
    request.help = parser.isSet(options.help);
    request.version = parser.isSet(options.version);
    request.list_voices = parser.isSet(options.list);
    request.reading = parser.isSet(options.reading);
    request.files = parser.values(options.file);
    request.output = parser.value(options.output);
    request.output_dir = parser.value(options.output_dir);
    request.gbk_input = parser.isSet(options.gbk_input);
    request.texts = parser.positionalArguments();
    request.play = parser.isSet(options.play) || (request.output.isEmpty() && request.output_dir.isEmpty());
}

bool read_choices(const QCommandLineParser &parser, const SayOptions &options, ParseResult &result)
{
    SynthesisOptions &o = result.request.options;
    for (qsizetype i = 0; i < options.choices.size(); ++i) {
        if (!parser.isSet(options.choices[i]))
            continue;
        const Choice &choice = kChoices[i];
        const QString value = parser.value(options.choices[i]);
        const int position = find_position(choice.list, value, choice.word);
        if (position < 0)
            return refuse(result, ExitCode::BadOption,
                          QStringLiteral("--%1: no such choice: %2").arg(QString::fromLatin1(choice.option), value));
        o.*choice.field = position;
    }
    if (parser.isSet(options.ssml))
        o.text_type = find_position(FixedList::TextType, QStringLiteral("ssml"));
    if (!parser.isSet(options.voice))
        return true;
    const VoiceMatch match = find_voice(parser.value(options.voice));
    if (match.position < 0)
        return refuse(result, ExitCode::UnknownVoice,
                      QStringLiteral("unknown voice: %1 (see --list-voices)").arg(parser.value(options.voice)));
    o.engine_type = match.engine_type;
    o.voice = match.position;
    o.voice_id = match.id;
    return true;
}

// The engine's texts for the chosen items, and the level, which depends on the audio encoding.
bool read_engine_texts(const QCommandLineParser &parser, const SayOptions &options, ParseResult &result)
{
    SynthesisOptions &o = result.request.options;
    o.text_encoding_text = item_text(FixedList::TextEncoding, o.text_encoding);
    o.audio_encoding_text = item_text(FixedList::AudioEncoding, o.audio_encoding);
    o.audio_format_text = item_text(FixedList::AudioFormat, o.audio_format);
    const option_tables::CompressionLevels levels = option_tables::compression_levels(o.audio_encoding_text);
    const QString chosen_level = parser.isSet(options.level) ? parser.value(options.level) : levels.selected;
    o.compression = static_cast<int>(levels.items.indexOf(chosen_level));
    if (o.compression < 0)
        return refuse(result, ExitCode::BadOption,
                      QStringLiteral("--level: %1 is not a level of %2 (%3)")
                          .arg(chosen_level, QString::fromLatin1(o.audio_encoding_text), levels.items.join(u' ')));
    o.compression_text = gbk::encode(chosen_level);
    return true;
}

bool check_inputs_and_outputs(ParseResult &result)
{
    const SayRequest &request = result.request;
    if (request.files.size() > 1 && !request.output.isEmpty())
        return refuse(result, ExitCode::BadOption,
                      QStringLiteral("--output names one file; with several input files use --output-dir"));
    if (!request.files.isEmpty() && !request.texts.isEmpty())
        return refuse(result, ExitCode::BadOption,
                      QStringLiteral("give the text either as arguments or with --file, not both"));
    return true;
}

} // namespace

ParseResult parse_say_arguments(const QStringList &arguments)
{
    ParseResult result;
    result.request.options = default_options();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const SayOptions options(parser);
    if (!parser.parse(QStringList{QStringLiteral("lumeno-say")} + arguments)) {
        refuse(result, ExitCode::BadOption, parser.errorText());
        return result;
    }
    // Each step stops at the first mistake; the order decides which of several is reported.
    if (check_values_given(parser, result) && read_numbers(parser, options, result)) {
        read_input_output(parser, options, result.request);
        if (read_choices(parser, options, result) && read_engine_texts(parser, options, result))
            check_inputs_and_outputs(result);
    }
    return result;
}
