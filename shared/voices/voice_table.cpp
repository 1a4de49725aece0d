// SPDX-License-Identifier: GPL-3.0-or-later
#include "voices/voice_table.h"

#include <array>
#include <cstring>

namespace voices {
namespace {

constexpr std::array chinese{
    VoiceRecord{"小燕", "青年女声", "xiaoyan"},  VoiceRecord{"小研", "青年女声", "vixy"},
    VoiceRecord{"小琪", "青年女声", "vixq"},     VoiceRecord{"嘉嘉", "青年女声", "jiajia"},
    VoiceRecord{"燕平", "青年女声", "aisxyan"},  VoiceRecord{"晓婧", "青年女声", "aisjinger"},
    VoiceRecord{"晓梦", "青年女声", "aisxmeng"}, VoiceRecord{"小萍", "青年女声", "aisxping"},
    VoiceRecord{"小艾", "青年女声", "aisxa"},    VoiceRecord{"紫棋", "青年女声", "ziqi"},
    VoiceRecord{"叶芳", "青年女声", "yefang"},   VoiceRecord{"孟春", "青年女声", "aismengchun"},
    VoiceRecord{"小宇", "青年男声", "xiaoyu"},   VoiceRecord{"小峰", "青年男声", "vixf"},
    VoiceRecord{"许多", "青年男声", "aisduoxu"}, VoiceRecord{"许久", "青年男声", "aisjiuxu"},
    VoiceRecord{"倪洋", "青年男声", "niyang"},   VoiceRecord{"老孙", "老年男声", "vils"},
    VoiceRecord{"楠楠", "少女童声", "aisnn"},    VoiceRecord{"许小宝", "少男童声", "aisBABYXu"},
    VoiceRecord{"蜡笔小新", "卡通", "aisxxin"},  VoiceRecord{"唐老鸭", "卡通", "aisDuck"},
};

constexpr std::array english{
    VoiceRecord{"凯瑟琳", "青年女声", "Catherine"}, VoiceRecord{"玛丽", "青年女声", "vimary"},
    VoiceRecord{"亨利", "青年男声", "henry"},       VoiceRecord{"John", "青年男声", "aisjohn"},
    VoiceRecord{"Tom", "青年男声", "aisTom"},
};

constexpr std::array dialects{
    VoiceRecord{"小梅", "青年女声[粤语]", "vixm"},      VoiceRecord{"小莉", "青年女声[台普]", "vixl"},
    VoiceRecord{"小蓉", "青年女声[四川话]", "vixr"},    VoiceRecord{"小芸", "青年女声[东北话]", "vixyun"},
    VoiceRecord{"小莹", "青年女声[陕西话]", "vixying"}, VoiceRecord{"小坤", "青年男声[河南话]", "vixk"},
    VoiceRecord{"小强", "青年男声[湖南话]", "vixqa"},   VoiceRecord{"大龙", "青年男声[粤语]", "aisdalong"},
};

constexpr std::array languages{
    VoiceRecord{"玛丽安", "青年女声[法语]", "Mariane"},      VoiceRecord{"古丽", "青年女声[维吾尔语]", "Guli"},
    VoiceRecord{"阿拉本", "青年女声[俄罗斯语]", "Allabent"}, VoiceRecord{"加芙列拉", "青年女声[西班牙语]", "Gabriela"},
    VoiceRecord{"艾伯哈", "青年女声[印地语]", "Abha"},       VoiceRecord{"小云", "青年女声[越南语]", "XiaoYun"},
};

constexpr std::array types{
    EngineType{"中文语音引擎", chinese},
    EngineType{"英文语音引擎", english},
    EngineType{"方言语音引擎", dialects},
    EngineType{"多语言语音引擎", languages},
};

} // namespace

std::span<const EngineType> engine_types()
{
    return types;
}

const VoiceRecord *find_voice(const char *id)
{
    const int type = engine_type_of(id);
    if (type < 0)
        return nullptr;
    for (const VoiceRecord &v : types[static_cast<std::size_t>(type)].voices) {
        if (std::strcmp(v.id, id) == 0)
            return &v;
    }
    return nullptr;
}

int engine_type_of(const char *id)
{
    if (id == nullptr)
        return -1;
    for (std::size_t t = 0; t < types.size(); ++t) {
        for (const VoiceRecord &v : types[t].voices) {
            if (std::strcmp(v.id, id) == 0)
                return static_cast<int>(t);
        }
    }
    return -1;
}

} // namespace voices
