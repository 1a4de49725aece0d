// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * The offline speech engine: libmsc.so.
 *
 * Six C functions turn text into 16-bit mono little-endian PCM audio. Speech is made on this
 * computer with espeak-ng; nothing is sent over the network. The engine is used in this order:
 *
 *   QTTSInit(configs)                   once per process (again only after QTTSFini)
 *   QTTSSessionBegin(params, &err)      one session per synthesis
 *   QTTSTextPut(session, text, len, "") hands the whole text over and starts the synthesis
 *   QTTSAudioGet(session, ...)          repeatedly, until *synthStatus is QTTS_AUDIO_COMPLETE
 *   QTTSSessionEnd(session, hints)      frees the session (stops a synthesis under way)
 *   QTTSFini()                          ends every session and stops the engine
 *
 * Every function returns or reports an error code: 0 (QTTS_SUCCESS) means success, any other
 * value is one of the QTTS_ERROR_* codes below. No function throws, and a null pointer or an
 * unknown session id is reported with an error code, never a crash.
 *
 * Texts (configuration, parameters, session ids, hints) are zero-terminated byte strings; only
 * their ASCII subset is meaningful, except for the text given to QTTSTextPut, whose encoding is
 * named by the "tte" parameter.
 *
 * Threads: every function may be called from any thread. The engine serialises its own state
 * internally; all espeak-ng work runs on one worker thread that the engine owns, so sessions of
 * several callers queue there instead of running at once (espeak-ng is not thread-safe).
 *
 * Tracing: when the environment variable LUMENO_ENGINE_TRACE names a file, every call appends
 * one line to it, written and flushed before the call returns:
 *
 *   <function>(<argument>=<value>, ...) = <result>[ <out-name>=<value> ...] [t=<seconds>]
 *
 * Text values are in double quotes with the bytes 0x20..0x7E as they are (except '"' and '\',
 * written \" and \\) and every other byte as \xNN; a null pointer is written null. The result of
 * QTTSSessionBegin is the session id text (or null), that of QTTSAudioGet is the number of audio
 * bytes handed out (or null). t is the time since the trace was opened by this process.
 */
#ifndef LUMENO_QTTS_H
#define LUMENO_QTTS_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(QTTS_BUILDING_LIBRARY)
#define QTTS_API __attribute__((visibility("default")))
#else
#define QTTS_API
#endif

/* ---- Error codes ------------------------------------------------------------------------- */

#define QTTS_SUCCESS 0
/* A required pointer argument was null. */
#define QTTS_ERROR_NULL_ARGUMENT 2001
/* The engine is not initialised: QTTSInit has not succeeded, or QTTSFini has been called. */
#define QTTS_ERROR_NOT_INITIALISED 2002
/* QTTSInit was called again without QTTSFini in between. */
#define QTTS_ERROR_ALREADY_INITIALISED 2003
/* The configuration text of QTTSInit is malformed (see QTTSInit). */
#define QTTS_ERROR_INVALID_CONFIG 2004
/* The codec library named by coding_libs cannot be loaded or is not a codec of this engine. */
#define QTTS_ERROR_CODEC_LIBRARY 2005
/* espeak-ng could not be started (for example its data files are missing). */
#define QTTS_ERROR_SPEECH_ENGINE 2006
/* The session parameter text is malformed or has a value out of range (see QTTSSessionBegin). */
#define QTTS_ERROR_INVALID_PARAMS 2007
/* The voice id given as vcn is not a voice of this engine. */
#define QTTS_ERROR_UNKNOWN_VOICE 2008
/* The session id does not name an open session (never begun, or already ended). */
#define QTTS_ERROR_UNKNOWN_SESSION 2009
/* QTTS_MAX_SESSIONS sessions are open already. */
#define QTTS_ERROR_TOO_MANY_SESSIONS 2010
/* The text given to QTTSTextPut is longer than max_text_size bytes. */
#define QTTS_ERROR_TEXT_TOO_LONG 2011
/* QTTSTextPut while the previous text of the same session is still being synthesised. */
#define QTTS_ERROR_BUSY 2012
/* QTTSAudioGet on a session that has not been given any text. */
#define QTTS_ERROR_NO_TEXT 2013
/* espeak-ng failed while synthesising. */
#define QTTS_ERROR_SYNTHESIS_FAILED 2014
/* The synthesis made no progress for the configured timeout (milliseconds). */
#define QTTS_ERROR_TIMEOUT 2015
/* The codec failed while encoding or decoding the audio. */
#define QTTS_ERROR_CODEC_FAILED 2016
/* Memory ran out. */
#define QTTS_ERROR_OUT_OF_MEMORY 2017
/* The buffer given to QTTSTextReading is too small (or null); *readingLen says what is needed. */
#define QTTS_ERROR_BUFFER_TOO_SMALL 2018

/* ---- Synthesis status (QTTSAudioGet) ----------------------------------------------------- */

/* More audio follows: keep calling QTTSAudioGet. */
#define QTTS_AUDIO_MORE 1
/* All audio has been delivered (or the synthesis ended with an error): stop calling. */
#define QTTS_AUDIO_COMPLETE 2

/* The number of sessions that may be open at the same time. */
#define QTTS_MAX_SESSIONS 64

/*
 * QTTSInit: starts the engine.
 *
 * configs: key=value pairs separated by commas, in any order, each key exactly once, all five
 * required and no other key, no spaces:
 *   server_url=host:80/index.htm  accepted for compatibility and never contacted: the engine
 *                                 works offline. Must be a host name with an optional
 *                                 ":port" (digits) and an optional "/path".
 *   appid=XXXXXXXX                exactly 8 characters, digits and lower-case letters.
 *   timeout=10000                 milliseconds, decimal, 1..86400000: a synthesis that makes
 *                                 no progress for this long reports QTTS_ERROR_TIMEOUT.
 *   coding_libs=libmsc_speex.so   the codec library. A name containing '/' is loaded as given;
 *                                 otherwise from the folder libmsc.so was loaded from, then
 *                                 through the normal library search.
 *   max_text_size=2048            bytes, decimal, 1..1048576: the longest text QTTSTextPut takes.
 * Returns 0, QTTS_ERROR_NULL_ARGUMENT, QTTS_ERROR_ALREADY_INITIALISED, QTTS_ERROR_INVALID_CONFIG,
 * QTTS_ERROR_CODEC_LIBRARY or QTTS_ERROR_SPEECH_ENGINE (espeak-ng's data is missing). On failure
 * the engine stays uninitialised and QTTSInit may be called again. espeak-ng itself starts in
 * the background, so QTTSInit returns in about a millisecond; should that start fail all the
 * same, QTTSSessionBegin reports QTTS_ERROR_SPEECH_ENGINE.
 * Thread-safety: safe; concurrent QTTSInit/QTTSFini calls are serialised.
 */
QTTS_API int QTTSInit(const char *configs);

/*
 * QTTSSessionBegin: opens a session.
 *
 * params: the ten keys below, each exactly once, in any order, as key=value pairs separated by
 * commas. Pairs are split at ',' and the key at the first '=', so values may contain ';' and
 * '=' (auf=audio/L16;rate=16000).
 *   ssm  0 or 1, ignored.
 *   vcn  a voice id of the voice catalogue (letter case matters), e.g. xiaoyan.
 *   spd  x-slow, slow, medium, fast, x-fast, or a number 0..100 (x-slow = 0, medium = 50,
 *        x-fast = 100): half to double the voice's own speed.
 *   vol  x-soft, soft, medium, loud, x-loud, or a number 0..100 (x-soft = 0, medium = 50,
 *        x-loud = 100): -12 dB to +4 dB around the voice's level, never clipping.
 *   ttp  text or ssml (espeak-ng's SSML: speak, break, prosody, say-as, emphasis ...;
 *        malformed markup is read as well as it can be). In SSML the session's voice reads all
 *        text: <voice> elements of the document do not change it.
 *   tte  the encoding of the text: AUTO (UTF-8 when the bytes are valid UTF-8, else GB18030),
 *        GB2312, GBK, GB18030 (all three decoded as GB18030), BIG5, UNICODE (UTF-16LE, an
 *        optional byte order mark is skipped) or UTF8. Bytes that are invalid in the encoding
 *        are read as a space. Characters of scripts none of the voices speaks (Han, Latin,
 *        Cyrillic, Devanagari; Arabic for the Uyghur voices) are skipped, symbols and
 *        punctuation kept.
 *   bgs  0 or 1: 1 mixes a soft background melody made by the engine under the whole speech.
 *   aue  raw, or amr, amr-fx, amr-wb, amr-wb-fx with ";0".. ";7", or speex, speex-wb with
 *        ";0".. ";10" (the level may be left out: amr 5, speex 7). raw and the amr family are
 *        delivered unchanged. speex and speex-wb pass through the codec library at that level
 *        (quality), as a network transport would: speex is narrowband (8000 Hz), speex-wb
 *        wideband (16000 Hz); when auf asks for the other rate the audio is resampled before
 *        encoding and after decoding. The result is always PCM at the auf rate.
 *   auf  audio/L16;rate=8000 or audio/L16;rate=16000: the sample rate of the PCM handed out.
 *   rdn  how digits are read: 0 values first (digit by digit for years before 年, runs of 7 or
 *        more digits and numbers with a leading 0), 1 always as values, 2 always digit by
 *        digit, 3 digit by digit unless a unit, '%' or a decimal point makes it a value.
 * Returns the session id, valid until QTTSSessionEnd or QTTSFini, and sets *errorCode to 0; on
 * failure returns null and sets *errorCode (when errorCode is not null) to
 * QTTS_ERROR_NULL_ARGUMENT, QTTS_ERROR_NOT_INITIALISED, QTTS_ERROR_INVALID_PARAMS,
 * QTTS_ERROR_UNKNOWN_VOICE, QTTS_ERROR_TOO_MANY_SESSIONS or QTTS_ERROR_SPEECH_ENGINE (espeak-ng
 * could not start). Waits, the first time, until espeak-ng has started.
 * Thread-safety: safe.
 */
QTTS_API const char *QTTSSessionBegin(const char *params, int *errorCode);

/*
 * QTTSTextPut: hands the text of a session over and queues its synthesis on the worker thread.
 *
 * textString: textLen bytes in the session's tte encoding (need not be zero-terminated; may be
 * null when textLen is 0). An empty text gives a synthesis without audio, and so does a text
 * with nothing to speak (only punctuation, line breaks, markup): leading silence is held back
 * until something is heard. params: ignored, may be null. A session may be given a new text once the previous one has been delivered
 * completely.
 * Returns 0, QTTS_ERROR_NULL_ARGUMENT, QTTS_ERROR_NOT_INITIALISED, QTTS_ERROR_UNKNOWN_SESSION,
 * QTTS_ERROR_TEXT_TOO_LONG (more than max_text_size bytes), QTTS_ERROR_BUSY or
 * QTTS_ERROR_OUT_OF_MEMORY.
 * Thread-safety: safe.
 */
QTTS_API int QTTSTextPut(const char *sessionID, const char *textString, unsigned int textLen, const char *params);

/*
 * QTTSAudioGet: takes the next piece of audio of a session.
 *
 * Returns a pointer to *audioLen bytes of 16-bit mono little-endian PCM at the auf rate, at most
 * a quarter of a second per call; the memory belongs to the engine and stays valid until the
 * calling thread's next call for the same session (or its QTTSFini), even when another thread
 * ends the session or calls QTTSFini meanwhile. When nothing is ready yet
 * it waits a few milliseconds at most and then returns null with *audioLen 0.
 * *synthStatus is QTTS_AUDIO_MORE while more audio follows and QTTS_AUDIO_COMPLETE with the last
 * piece (or with null once everything has been delivered). On an error *errorCode is set, the
 * result is null and *synthStatus is QTTS_AUDIO_COMPLETE, so a loop that waits for the status
 * always ends: QTTS_ERROR_NULL_ARGUMENT (any argument null; nothing is written then),
 * QTTS_ERROR_NOT_INITIALISED, QTTS_ERROR_UNKNOWN_SESSION, QTTS_ERROR_NO_TEXT,
 * QTTS_ERROR_SYNTHESIS_FAILED, QTTS_ERROR_CODEC_FAILED, QTTS_ERROR_OUT_OF_MEMORY or
 * QTTS_ERROR_TIMEOUT (no progress for the configured time).
 * Thread-safety: safe; two threads polling the same session each get distinct pieces, each
 * kept for its own thread.
 */
QTTS_API const void *QTTSAudioGet(const char *sessionID, unsigned int *audioLen, int *synthStatus, int *errorCode);

/*
 * QTTSSessionEnd: ends a session. A synthesis under way stops at once; a queued one never
 * starts. The session id and the memory of the caller's last QTTSAudioGet for it become
 * invalid (another thread's piece stays valid until that thread's next call for the session).
 * hints: free text for the trace, may be null.
 * Returns 0, QTTS_ERROR_NULL_ARGUMENT (sessionID null), QTTS_ERROR_NOT_INITIALISED or
 * QTTS_ERROR_UNKNOWN_SESSION.
 * Thread-safety: safe.
 */
QTTS_API int QTTSSessionEnd(const char *sessionID, const char *hints);

/*
 * QTTSFini: ends every session, stops the worker thread and unloads the codec library. Every
 * later call fails with QTTS_ERROR_NOT_INITIALISED until QTTSInit succeeds again.
 * Returns 0 or QTTS_ERROR_NOT_INITIALISED.
 * Thread-safety: safe; audio memory handed to other threads stays valid as for QTTSSessionEnd.
 */
QTTS_API int QTTSFini(void);

/*
 * QTTSTextReading: the reading preview. Tells how the Mandarin voices will read a text, without
 * speaking it and without QTTSInit. A caller may do without it: the six functions above are
 * the whole speech interface.
 *
 * params: a parameter text as for QTTSSessionBegin; vcn chooses the accent (the Taiwanese
 * Mandarin voice says zh ch sh as z c s and fewer neutral tones), tte the encoding of the
 * text and rdn how its digits are read. textString, textLen: as for QTTSTextPut.
 * The reading is written to `reading` as a zero-terminated GBK text (GB18030 for characters
 * GBK lacks): one pinyin syllable per Chinese character with its tone as spoken in context
 * (digits 1-4, 5 for the neutral tone; ü written v), other text (punctuation, Latin words)
 * as it is, single spaces between them. Digits are first turned into Chinese as for speech:
 *   他在银行工作，请重新开始。 → ta1 zai4 yin2 hang2 gong1 zuo4 ， qing3 chong2 xin1 kai1 shi3 。
 * The user's readings file ($XDG_CONFIG_HOME/lumeno/readings.txt, "word pinyin" per line)
 * takes precedence over the engine's dictionary, as in speech.
 * readingLen: in, the size of the buffer; out, the length of the reading without the zero.
 * Returns 0, QTTS_ERROR_NULL_ARGUMENT (params or readingLen null, or textString null with a
 * length), QTTS_ERROR_INVALID_PARAMS, QTTS_ERROR_UNKNOWN_VOICE, QTTS_ERROR_OUT_OF_MEMORY or
 * QTTS_ERROR_BUFFER_TOO_SMALL (reading null or *readingLen not above the length: nothing is
 * written; call again with a buffer of at least *readingLen + 1 bytes).
 * Thread-safety: safe.
 */
QTTS_API int QTTSTextReading(const char *params, const char *textString, unsigned int textLen, char *reading,
                             unsigned int *readingLen);

/* Function types for callers that resolve the functions with dlsym. */
typedef int (*QTTSInitFunc)(const char *configs);
typedef const char *(*QTTSSessionBeginFunc)(const char *params, int *errorCode);
typedef int (*QTTSTextPutFunc)(const char *sessionID, const char *textString, unsigned int textLen, const char *params);
typedef const void *(*QTTSAudioGetFunc)(const char *sessionID, unsigned int *audioLen, int *synthStatus,
                                        int *errorCode);
typedef int (*QTTSSessionEndFunc)(const char *sessionID, const char *hints);
typedef int (*QTTSFiniFunc)(void);
typedef int (*QTTSTextReadingFunc)(const char *params, const char *textString, unsigned int textLen, char *reading,
                                   unsigned int *readingLen);

#ifdef __cplusplus
}
#endif

#endif /* LUMENO_QTTS_H */
