// The one translation unit that compiles the image decoder the tests read the assets with.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
