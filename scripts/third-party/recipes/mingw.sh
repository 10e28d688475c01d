# Static Windows (x86-64) builds of the libraries with Debian's MinGW-w64,
# sourced by build-libs. Only what the game uses is built: SDL2_mixer plays
# WAV and MP3 (dr_mp3, in its source), SDL2_ttf draws through FreeType
# without HarfBuzz, SDL2_image reads BMP and writes PNG (miniz, in its source).

dv_repo=$(cd "$here/../.." && pwd)
dv_toolchain=$dv_repo/cmake/mingw-w64-x86_64.cmake

toolchain_id() {
    x86_64-w64-mingw32-gcc-posix --version | head -n1
    dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev 2>/dev/null || true
    cmake --version | head -n1
    cat "$dv_toolchain"
}

# The cache's folders stay out of the libraries' bytes (their assertions name
# their source files), so the game is the same whoever's cache it links.
mingw_cflags="-ffile-prefix-map=$CACHE=."

# One library: configure, build and install into $PREFIX.
mingw_cmake() {
    src=$1
    name=$2
    shift 2
    cmake -S "$src" -B "$WORK/$name" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$dv_toolchain" -DDV_WINDOWS_PREFIX="$PREFIX" \
        -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
        -DCMAKE_C_FLAGS="$mingw_cflags" -DCMAKE_CXX_FLAGS="$mingw_cflags" \
        -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@"
    cmake --build "$WORK/$name" -j"$JOBS"
    cmake --install "$WORK/$name"
}

# The satellite libraries write a pkg-config file only for shared builds.
mingw_pc() {
    name=$1
    version=$2
    requires=$3
    cat >"$PREFIX/lib/pkgconfig/$name.pc" <<PC
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $name, static, for Windows
Version: $version
Requires: $requires
Libs: -L\${libdir} -l$name
Cflags: -I\${includedir}/SDL2
PC
}

build_all() {
    mingw_cmake "$FREETYPE_SRC" freetype \
        -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
        -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON

    mingw_cmake "$SDL2_SRC" sdl2 \
        -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
        -DSDL_SENSOR=OFF -DSDL_VULKAN=OFF -DSDL_RENDER_D3D=ON

    mingw_cmake "$MIXER_SRC" sdl2-mixer \
        -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
        -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
        -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS= \
        -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
        -DSDL2MIXER_WAVE=ON

    mingw_cmake "$TTF_SRC" sdl2-ttf \
        -DSDL2TTF_VENDORED=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_HARFBUZZ=OFF

    mingw_cmake "$IMAGE_SRC" sdl2-image \
        -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
        -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF \
        -DSDL2IMAGE_BMP=ON -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_PNG_SAVE=ON \
        -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_JXL=OFF \
        -DSDL2IMAGE_LBM=OFF -DSDL2IMAGE_PCX=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF \
        -DSDL2IMAGE_SVG=OFF -DSDL2IMAGE_TGA=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF \
        -DSDL2IMAGE_XCF=OFF -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF

    mingw_pc SDL2_mixer 2.6.2 sdl2
    mingw_pc SDL2_ttf 2.20.1 "sdl2 freetype2"
    mingw_pc SDL2_image 2.6.3 sdl2

    # What a package of the game must carry: each library's licence, and
    # Debian's account of every file in its source (dr_mp3, miniz, stb_image).
    for lib in "SDL2 $SDL2_SRC LICENSE.txt" "SDL2_mixer $MIXER_SRC LICENSE.txt" \
        "SDL2_ttf $TTF_SRC LICENSE.txt" "SDL2_image $IMAGE_SRC LICENSE.txt" \
        "FreeType $FREETYPE_SRC docs/FTL.TXT"; do
        set -- $lib
        mkdir -p "$PREFIX/share/licences/$1"
        cp "$2/$3" "$PREFIX/share/licences/$1/LICENSE.txt"
        cp "$2/debian/copyright" "$PREFIX/share/licences/$1/debian-copyright.txt"
    done
}
