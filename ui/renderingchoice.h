#pragma once

// How the browser engine draws, settled before the application object
// exists, while the process still has one thread and the environment can be
// changed safely; the engine itself is loaded much later, if at all.
//
// Software: a platform without OpenGL (offscreen and the like); the engine's
// pages are drawn by the processor. Otherwise the engine draws with OpenGL,
// on graphics hardware or emulated (a virtual X display), and needs a
// context that its contexts and the windows' share. Creating that context
// costs start-up time and memory on every run, so it is made only when the
// engine is loaded.
class CRenderingChoice
{
public:
    // Before the application object exists. A choice the user made through
    // Qt's own environment variables is kept.
    static void Decide(int argc, char **argv);
    static bool IsSoftware();
    // On the user-interface thread, right before the engine is loaded: what
    // the engine checks for as it starts.
    static void PrepareForEngine();

private:
    static bool DecideSoftware(int argc, char **argv);
    static bool &Software();
};
