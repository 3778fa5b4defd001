#pragma once
// The images a form XObject would draw, counted from its resources without
// interpreting its content: each image XObject named in its resources, or in
// those of the forms they name in turn, once. The engine passes over the
// content of a form nested too deep without a word; this tells what was lost
// with it.
class XRef;
struct Ref;

int FormImageCount(XRef* xref, Ref form);
