#pragma once

#include "platform/resources/EmbeddedResources.h"

// Kestrune's panel images (bg.png, by.png, BR.png, OUT.png, HI.png, LO.png), compiled into the
// module from resources/img when it is built. The editor's host loads its images from here.
const EmbeddedResourceTable& KestrunePanelResources();
