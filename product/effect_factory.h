// What a plug-in product supplies to the entry points: the effect object of a new instance.
#pragma once

class TZolt;

// [main] A new effect object, owned by the caller; may throw.
TZolt* NewEffect();
