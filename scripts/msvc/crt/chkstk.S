// __chkstk: touches each page of a stack frame larger than a page, from the
// top down, so that the guard page moves ahead of it. The frame size is in
// rax; every register is preserved and rsp is left to the caller.
    .text
    .globl __chkstk
    .p2align 4
__chkstk:
    pushq %rcx
    pushq %rax
    leaq 24(%rsp), %rcx
1:  cmpq $0x1000, %rax
    jb 2f
    subq $0x1000, %rcx
    orq $0, (%rcx)
    subq $0x1000, %rax
    jmp 1b
2:  subq %rax, %rcx
    orq $0, (%rcx)
    popq %rax
    popq %rcx
    ret
