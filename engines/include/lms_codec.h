// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * The codec library of the speech engine: libmsc_speex.so.
 *
 * The engine passes speex audio through this library the way a network transport would: every
 * 20 ms frame is encoded to a packet and the packet is decoded again, so the audio the caller
 * gets carries the codec's loss at the chosen quality. One codec handle holds both ends, the
 * encoder and the decoder. The engine loads the library with dlopen and resolves these
 * functions by name; their signatures are the typedefs below.
 *
 * Thread-safety: handles are independent; one handle must not be used by two threads at once.
 */
#ifndef LUMENO_LMS_CODEC_H
#define LUMENO_LMS_CODEC_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(LMS_CODEC_BUILDING_LIBRARY)
#define LMS_CODEC_API __attribute__((visibility("default")))
#else
#define LMS_CODEC_API
#endif

/* The major version the engine requires: the text of lms_codec_version starts with "1.". */
#define LMS_CODEC_MAJOR_VERSION 1

typedef struct LmsCodec LmsCodec;

/* The library's version text, e.g. "1.0 (speex 1.2.1)". Never null. */
LMS_CODEC_API const char *lms_codec_version(void);

/*
 * Opens a codec: sample_rate 8000 gives speex narrowband, 16000 speex wideband; quality 0..10.
 * Returns null for any other rate or quality, or when memory runs out.
 */
LMS_CODEC_API LmsCodec *lms_codec_open(int sample_rate, int quality);

/* Samples per frame: every encode takes exactly this many (160 narrowband, 320 wideband). */
LMS_CODEC_API int lms_codec_frame_samples(const LmsCodec *codec);

/* How many samples the decoded audio lags behind the encoded audio. */
LMS_CODEC_API int lms_codec_delay_samples(const LmsCodec *codec);

/*
 * Encodes one frame of lms_codec_frame_samples samples into packet (capacity bytes).
 * Returns the packet size in bytes, or -1 when the arguments are bad or the packet is too big.
 */
LMS_CODEC_API int lms_codec_encode(LmsCodec *codec, const short *pcm, unsigned char *packet, int capacity);

/*
 * Decodes one packet into lms_codec_frame_samples samples at pcm.
 * Returns 0, or -1 when the arguments are bad or the packet is corrupt.
 */
LMS_CODEC_API int lms_codec_decode(LmsCodec *codec, const unsigned char *packet, int bytes, short *pcm);

/* Closes a codec; null is ignored. */
LMS_CODEC_API void lms_codec_close(LmsCodec *codec);

typedef const char *(*LmsCodecVersionFunc)(void);
typedef LmsCodec *(*LmsCodecOpenFunc)(int sample_rate, int quality);
typedef int (*LmsCodecFrameSamplesFunc)(const LmsCodec *codec);
typedef int (*LmsCodecDelaySamplesFunc)(const LmsCodec *codec);
typedef int (*LmsCodecEncodeFunc)(LmsCodec *codec, const short *pcm, unsigned char *packet, int capacity);
typedef int (*LmsCodecDecodeFunc)(LmsCodec *codec, const unsigned char *packet, int bytes, short *pcm);
typedef void (*LmsCodecCloseFunc)(LmsCodec *codec);

#ifdef __cplusplus
}
#endif

#endif /* LUMENO_LMS_CODEC_H */
