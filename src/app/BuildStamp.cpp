// Build identifier of this executable, recorded where the helper library reads it back.
// The helper library finds it by section name in the executable file, so the
// array must survive optimisation and linking even though no code uses it.
#ifndef MONITOR_BUILD_ID
#error "MONITOR_BUILD_ID must be defined by the build"
#endif

extern "C" __attribute__((used, section(".varlo_build"))) const char MonitorBuildStamp[] = MONITOR_BUILD_ID;
