// A loadable module that is not a plug-in: it exports neither entry point.
extern "C" __attribute__((visibility("default"))) int notAPlugin()
{
    return 0;
}
