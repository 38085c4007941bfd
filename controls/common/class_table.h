// Dravlix's control classes in the order of its type library.
#pragma once
#include "com/control_class.h"

#include <cstddef>

extern const ControlClass ControlClasses[];
extern const size_t ControlClassCount;
