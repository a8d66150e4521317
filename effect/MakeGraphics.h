#pragma once

class IGraphics;
class IPlugBase;

// The module's factory for its editor: the platform's graphics object of width x height pixels,
// redrawn refreshFPS times per second (the framework's default for 0), that loads its images from
// the panel images carried inside the module. It touches no display: a window is made only when
// the host opens the editor, so a module loaded by a server or a command-line tool constructs
// exactly as in a DAW. Null when it cannot be created.
//
// The module defines it on the X11 host (MakeGraphicsX11.cpp); a program that links the effect
// without the module's file brings its own.
IGraphics* MakeGraphics(IPlugBase* pPlug, int width, int height, int refreshFPS);
