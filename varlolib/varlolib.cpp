// placeholder
extern "C" __attribute__((visibility("default"))) int VarloLibPlaceholder() { return 0; }
