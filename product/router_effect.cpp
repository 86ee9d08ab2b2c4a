// The Kelvane_Lotta router as the product's effect.
#include "effect/router.h"
#include "product/effect_factory.h"

TZolt* NewEffect() {
    return new TZoltEffect;
}
