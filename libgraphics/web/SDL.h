// The part of the SDL 1.2 interface that the library uses, for the browser build. Types, names and
// numbers are SDL 1.2's, so the library's sources and keytbl.hpp compile here exactly as on the
// desktop; sdl_web.cpp, sdl_web_surfaces.cpp and easel_web.js implement it on a page.
#pragma once

#include <cstdint>

typedef std::uint8_t Uint8;
typedef std::uint16_t Uint16;
typedef std::int16_t Sint16;
typedef std::uint32_t Uint32;

#define SDL_INIT_TIMER 0x00000001u
#define SDL_INIT_VIDEO 0x00000020u

#define SDL_SWSURFACE 0x00000000u
#define SDL_HWSURFACE 0x00000001u
#define SDL_SRCCOLORKEY 0x00001000u
#define SDL_DOUBLEBUF 0x40000000u
#define SDL_FULLSCREEN 0x80000000u

#define SDL_RELEASED 0
#define SDL_PRESSED 1

// Every surface here is 32 bits per pixel, 0x00RRGGBB, rows of exactly w pixels.
struct SDL_PixelFormat {
    Uint8 BitsPerPixel;
    Uint8 BytesPerPixel;
    Uint32 Rmask, Gmask, Bmask, Amask;
    Uint32 colorkey;
};

struct SDL_Surface {
    Uint32 flags;
    SDL_PixelFormat* format;
    int w, h;
    Uint16 pitch;
    void* pixels;
    int refcount;  // users of the surface; SDL_FreeSurface frees it with the last
};

#define SDL_MUSTLOCK(surface) 0

struct SDL_Rect {
    Sint16 x, y;
    Uint16 w, h;
};

// The named keys, from the library's key table; a character's key is its ASCII code.
enum SDLKey {
    SDLK_UNKNOWN = 0,
#define EASEL_CHAR_KEY(name, symbol, number, dom_key, dom_code) symbol = number,
#define EASEL_SPECIAL_KEY(name, symbol, number, character, code, dom_key, dom_code) symbol = number,
#include "keys.def"
};

enum {
    SDL_KEYDOWN = 2,
    SDL_KEYUP = 3,
    SDL_MOUSEMOTION = 4,
    SDL_MOUSEBUTTONDOWN = 5,
    SDL_MOUSEBUTTONUP = 6,
    SDL_QUIT = 12,
    SDL_USEREVENT = 24,
};

struct SDL_keysym {
    SDLKey sym;
    Uint16 unicode;
};

struct SDL_KeyboardEvent {
    Uint8 type;
    Uint8 state;
    SDL_keysym keysym;
};

// Positions are unsigned 16-bit, as SDL hands them over: a position left of or above the window
// arrives as its two's complement.
struct SDL_MouseMotionEvent {
    Uint8 type;
    Uint16 x, y;
};

struct SDL_MouseButtonEvent {
    Uint8 type;
    Uint8 button;
    Uint8 state;
    Uint16 x, y;
};

struct SDL_UserEvent {
    Uint8 type;
    int code;
    void* data1;
    void* data2;
};

union SDL_Event {
    Uint8 type;
    SDL_KeyboardEvent key;
    SDL_MouseMotionEvent motion;
    SDL_MouseButtonEvent button;
    SDL_UserEvent user;
};

typedef int (*SDL_EventFilter)(const SDL_Event* event);
typedef struct web_timer* SDL_TimerID;
typedef Uint32 (*SDL_NewTimerCallback)(Uint32 interval, void* param);

// A file being written: its name and its bytes, offered as a download when it is closed.
struct SDL_RWops;

extern "C" {
int SDL_Init(Uint32 flags);
void SDL_Quit(void);
int SDL_EnableUNICODE(int enable);

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
SDL_Surface* SDL_GetVideoSurface(void);
int SDL_Flip(SDL_Surface* screen);
SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask, Uint32 Gmask,
                                  Uint32 Bmask, Uint32 Amask);
void SDL_FreeSurface(SDL_Surface* surface);
int SDL_LockSurface(SDL_Surface* surface);
void SDL_UnlockSurface(SDL_Surface* surface);
int SDL_FillRect(SDL_Surface* dst, SDL_Rect* dstrect, Uint32 color);
int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key);
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect);

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode);
int SDL_RWclose(SDL_RWops* context);
int SDL_RWwrite(SDL_RWops* context, const void* data, int size, int count);
int SDL_SaveBMP_RW(SDL_Surface* surface, SDL_RWops* dst, int freedst);

int SDL_PollEvent(SDL_Event* event);
void SDL_SetEventFilter(SDL_EventFilter filter);
void SDL_Delay(Uint32 ms);
int SDL_PushEvent(SDL_Event* event);
Uint32 SDL_GetTicks(void);
SDL_TimerID SDL_AddTimer(Uint32 interval, SDL_NewTimerCallback callback, void* param);
int SDL_RemoveTimer(SDL_TimerID id);

void SDL_WM_SetCaption(const char* title, const char* icon);
}

// A page passes no settings to SDL through the environment.
inline char* SDL_getenv(const char*) { return nullptr; }
inline int SDL_putenv(char*) { return 0; }

#define SDL_BlitSurface SDL_UpperBlit
