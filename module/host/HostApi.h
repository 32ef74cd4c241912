// Import/export markers of the host's libraries. The module includes these headers only to
// import; each host library defines its AF_BUILDING_* macro while it is being built.
#pragma once

#if defined(AF_BUILDING_COMMON)
#define COMMON_API __declspec(dllexport)
#else
#define COMMON_API __declspec(dllimport)
#endif

#if defined(AF_BUILDING_KERNEL)
#define KERNEL_API __declspec(dllexport)
#else
#define KERNEL_API __declspec(dllimport)
#endif

#if defined(AF_BUILDING_CONTROL)
#define CONTROL_API __declspec(dllexport)
#else
#define CONTROL_API __declspec(dllimport)
#endif
