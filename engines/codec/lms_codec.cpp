// SPDX-License-Identifier: GPL-3.0-or-later
#include "lms_codec.h"

#include <new>
#include <speex/speex.h>

struct LmsCodec {
    void *encoder = nullptr;
    void *decoder = nullptr;
    SpeexBits encode_bits{};
    SpeexBits decode_bits{};
    int frame_samples = 0;
    int delay_samples = 0;
};

namespace {

void destroy(LmsCodec *codec)
{
    if (codec->encoder != nullptr) {
        speex_encoder_destroy(codec->encoder);
        speex_bits_destroy(&codec->encode_bits);
    }
    if (codec->decoder != nullptr) {
        speex_decoder_destroy(codec->decoder);
        speex_bits_destroy(&codec->decode_bits);
    }
    delete codec;
}

} // namespace

extern "C" {

const char *lms_codec_version(void)
{
    return "1.0 (speex)";
}

LmsCodec *lms_codec_open(int sample_rate, int quality)
{
    const SpeexMode *mode = nullptr;
    if (sample_rate == 8000)
        mode = speex_lib_get_mode(SPEEX_MODEID_NB);
    else if (sample_rate == 16000)
        mode = speex_lib_get_mode(SPEEX_MODEID_WB);
    if (mode == nullptr || quality < 0 || quality > 10)
        return nullptr;

    auto *codec = new (std::nothrow) LmsCodec;
    if (codec == nullptr)
        return nullptr;
    codec->encoder = speex_encoder_init(mode);
    if (codec->encoder != nullptr)
        speex_bits_init(&codec->encode_bits);
    codec->decoder = speex_decoder_init(mode);
    if (codec->decoder != nullptr)
        speex_bits_init(&codec->decode_bits);
    if (codec->encoder == nullptr || codec->decoder == nullptr) {
        destroy(codec);
        return nullptr;
    }
    speex_encoder_ctl(codec->encoder, SPEEX_SET_QUALITY, &quality);
    // The least search effort: encoding is the engine's largest cost, a quarter less than at
    // speex's default, and the quality levels still differ as they should.
    int complexity = 1;
    speex_encoder_ctl(codec->encoder, SPEEX_SET_COMPLEXITY, &complexity);
    speex_encoder_ctl(codec->encoder, SPEEX_GET_FRAME_SIZE, &codec->frame_samples);
    // A round trip lags by the look-ahead of both ends (80 samples narrowband, 223 wideband).
    int encoder_delay = 0;
    int decoder_delay = 0;
    speex_encoder_ctl(codec->encoder, SPEEX_GET_LOOKAHEAD, &encoder_delay);
    speex_decoder_ctl(codec->decoder, SPEEX_GET_LOOKAHEAD, &decoder_delay);
    codec->delay_samples = encoder_delay + decoder_delay;
    return codec;
}

int lms_codec_frame_samples(const LmsCodec *codec)
{
    return codec != nullptr ? codec->frame_samples : 0;
}

int lms_codec_delay_samples(const LmsCodec *codec)
{
    return codec != nullptr ? codec->delay_samples : 0;
}

int lms_codec_encode(LmsCodec *codec, const short *pcm, unsigned char *packet, int capacity)
{
    if (codec == nullptr || pcm == nullptr || packet == nullptr || capacity <= 0)
        return -1;
    speex_bits_reset(&codec->encode_bits);
    // speex_encode_int takes a non-const pointer but only reads the frame.
    speex_encode_int(codec->encoder, const_cast<short *>(pcm), &codec->encode_bits);
    if (speex_bits_nbytes(&codec->encode_bits) > capacity)
        return -1;
    return speex_bits_write(&codec->encode_bits, reinterpret_cast<char *>(packet), capacity);
}

int lms_codec_decode(LmsCodec *codec, const unsigned char *packet, int bytes, short *pcm)
{
    if (codec == nullptr || packet == nullptr || bytes <= 0 || pcm == nullptr)
        return -1;
    speex_bits_read_from(&codec->decode_bits, reinterpret_cast<const char *>(packet), bytes);
    return speex_decode_int(codec->decoder, &codec->decode_bits, pcm) == 0 ? 0 : -1;
}

void lms_codec_close(LmsCodec *codec)
{
    if (codec != nullptr)
        destroy(codec);
}

} // extern "C"
