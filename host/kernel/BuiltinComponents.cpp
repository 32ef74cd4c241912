#include "ComponentRegistry.h"

// Each component of this library adds its factory here.
void registerBuiltinComponents(ComponentRegistry& registry) { (void)registry; }
