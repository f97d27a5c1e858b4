// What the page's side (easel_web.js) offers the program's side of the browser layer.
#pragma once

extern "C" {
void easel_web_start();
void easel_web_stop();
void easel_web_show_canvas(int width, int height);
void easel_web_present(const void* pixels, int width, int height);
double easel_web_now();
void easel_web_sleep(double wake_at);
void easel_web_download(const char* name, const void* bytes, int length);
void easel_web_caption(const char* title);
}
