// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/options/option_boxes.h"
#include "engine/session_params.h"

class VoiceCatalogue;

// The option lists' current selections, read afresh from the window: the lists are their only
// store. Item texts are taken as GBK, the form the engine receives.
SynthesisOptions read_synthesis_options(const OptionBoxes &boxes, const VoiceCatalogue &voices);
