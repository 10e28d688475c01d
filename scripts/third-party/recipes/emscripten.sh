# Static WebAssembly libraries for the browser build, with Debian's emscripten.
# Sourced by build-libs, which supplies the *_SRC folders, PREFIX, WORK, JOBS.
# Only what the game uses is switched on: SDL2_mixer plays WAV and, through
# its bundled dr_mp3, MP3; SDL2_ttf uses FreeType without HarfBuzz; SDL2_image
# reads BMP and saves PNG (its bundled miniz) for screenshots.

toolchain_id() {
    emcc --version | head -n1
    echo "cflags: $em_cflags"
}

# Debian's emcc runs its JavaScript tools on the machine's node, which may not
# look where Debian keeps their modules (acorn).
NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs
export NODE_PATH

# The same floating-point rules as the game itself; no threads, since the page
# runs everything on the browser's main thread.
em_cflags="-O2 -ffp-contract=off"
# The cache's folders stay out of the libraries' bytes (their assertions name
# their source files), so the page is the same whoever's cache it links.
em_map="-ffile-prefix-map=$CACHE=."

em_cmake() {
    src=$1
    name=$2
    shift 2
    emcmake cmake -S "$src" -B "$WORK/$name" -G "Unix Makefiles" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS="$em_cflags $em_map" \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        -DCMAKE_PREFIX_PATH="$PREFIX" \
        -DCMAKE_FIND_ROOT_PATH="$PREFIX" \
        -DBUILD_SHARED_LIBS=OFF \
        "$@"
    cmake --build "$WORK/$name" -j"$JOBS"
    cmake --install "$WORK/$name"
}

build_all() {
    set -e
    em_cmake "$SDL2_SRC" sdl2 \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF

    em_cmake "$FREETYPE_SRC" freetype \
        -DFT_DISABLE_ZLIB=TRUE -DFT_DISABLE_BZIP2=TRUE -DFT_DISABLE_PNG=TRUE \
        -DFT_DISABLE_HARFBUZZ=TRUE -DFT_DISABLE_BROTLI=TRUE

    em_cmake "$MIXER_SRC" mixer \
        -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
        -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
        -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS= -DSDL2MIXER_WAVE=ON \
        -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF

    em_cmake "$TTF_SRC" ttf \
        -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF

    em_cmake "$IMAGE_SRC" image \
        -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
        -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BMP=ON -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_PNG_SAVE=ON \
        -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_JPG_SAVE=OFF -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_LBM=OFF \
        -DSDL2IMAGE_PCX=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF -DSDL2IMAGE_SVG=OFF \
        -DSDL2IMAGE_TGA=OFF -DSDL2IMAGE_XCF=OFF -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF \
        -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF
}
