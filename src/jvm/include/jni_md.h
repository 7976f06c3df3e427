// Machine-dependent JNI types for 32- and 64-bit Windows, for mingw-w64.
// The JDK on Linux ships only its own jni_md.h (no calling convention, and a
// 64-bit `long`); on Windows `long` is 32 bits even in 64-bit code and every
// JNI entry point is __stdcall, which decorates the i686 symbol as Name@N.
#ifndef ZVT_JNI_MD_H
#define ZVT_JNI_MD_H

#ifndef JNIEXPORT
#define JNIEXPORT __declspec(dllexport)
#endif
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

// jint must stay `long`: that is what the exported signatures of a Windows
// runtime were compiled with, and it changes C++ name mangling of anything
// declared with jint.
typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
