// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every text the status panel can show, in one place, so that a test can see that each is
// drawn whole in the panel's 200 pixels.
namespace status_text {

inline constexpr char16_t kConnected[] = u"已成功连接服务器";
inline constexpr char16_t kInitFailed[] = u"初始化失败";
// The engine started but espeak-ng, which speaks for it, could not: its data is unusable.
inline constexpr char16_t kSpeechDataUnusable[] = u"初始化失败：espeak-ng数据不可用";
inline constexpr char16_t kNoText[] = u"请输入要合成语音的文本";
inline constexpr char16_t kIncompleteOptions[] = u"请将合成参数设置完整!";
// %1: the name of the chosen text encoding.
inline constexpr char16_t kUnencodable[] = u"文本含有%1编码无法表示的字符";
inline constexpr char16_t kSessionFailed[] = u"启动会话失败，请检查appid是否可用";
inline constexpr char16_t kTextPutFailed[] = u"发送转换文本失败";
inline constexpr char16_t kTextSent[] = u"成功发送转换文本,等待返回结果中...";
inline constexpr char16_t kSynthesising[] = u"正在合成语音,请稍候...";
inline constexpr char16_t kSynthesisFailed[] = u"合成失败，请重试";
inline constexpr char16_t kNothingToSpeak[] = u"没有可合成的语音";
inline constexpr char16_t kDone[] = u"语音已合成";
inline constexpr char16_t kDoneWithoutSound[] = u"语音已合成，但无法打开声音设备";

// Every fixed text; kUnencodable is left out, as it is shown only with a name filled in.
inline constexpr const char16_t *kFixed[] = {
    kConnected,      kInitFailed,    kSpeechDataUnusable, kNoText,       kIncompleteOptions,
    kSessionFailed,  kTextPutFailed, kTextSent,           kSynthesising, kSynthesisFailed,
    kNothingToSpeak, kDone,          kDoneWithoutSound,
};

} // namespace status_text
