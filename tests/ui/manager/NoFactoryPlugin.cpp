// A shared library without a control factory, which the plug-in loader must refuse.
extern "C" int SomethingElse()
{
    return 1;
}
