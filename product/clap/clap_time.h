// A CLAP host's transport as the record a VST 2 host answers time requests with, so the
// runtime's tempo, position, time-signature and transport answers are the same under both.
#pragma once

#include "plugin/vst2_abi.h"
#include "product/clap/clap_abi.h"

// [audio] The time record of a transport at a sample rate. Beats are quarter notes, as both
// formats count them; only what the transport marks as known is marked valid.
VstTimeInfo ClapTimeInfo(const clap_event_transport& transport, double sampleRate);
