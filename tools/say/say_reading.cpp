// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/say_reading.h"

#include "platform/gbk.h"
#include "say/say_request.h"

#include <cstdio>

int print_reading(TtsEngine &engine, const QByteArray &params, const QByteArray &text)
{
    const QTTSTextReadingFunc text_reading = engine.reading_preview();
    if (text_reading == nullptr) {
        std::fputs("lumeno-say: this speech engine has no reading preview\n", stderr);
        return static_cast<int>(ExitCode::EngineFailure);
    }
    QByteArray reading(text.size() * 8 + 64, '\0');
    auto length = static_cast<unsigned int>(reading.size());
    int error = text_reading(params.constData(), text.constData(), static_cast<unsigned int>(text.size()),
                             reading.data(), &length);
    if (error == QTTS_ERROR_BUFFER_TOO_SMALL) { // the length needed is known now
        reading.resize(static_cast<qsizetype>(length) + 1);
        length = static_cast<unsigned int>(reading.size());
        error = text_reading(params.constData(), text.constData(), static_cast<unsigned int>(text.size()),
                             reading.data(), &length);
    }
    if (error != 0) {
        std::fprintf(stderr, "lumeno-say: the engine refused the text (error %d)\n", error);
        return static_cast<int>(ExitCode::EngineFailure);
    }
    const QByteArray line = gbk::decode(QByteArrayView(reading.constData(), length)).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    return 0;
}
